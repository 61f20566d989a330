#include "e2eCrypto/check_time.h"

#include <atomic>

namespace {

// -1 stands for the clock: no moment a test fixes lies before 1970.
std::atomic<std::time_t> fixedMoment{-1};

} // namespace

std::time_t checkTime() {
    const std::time_t fixed = fixedMoment.load();
    return fixed >= 0 ? fixed : std::time(nullptr);
}

void setCheckTime(std::optional<std::time_t> moment) {
    fixedMoment.store(moment.value_or(-1));
}

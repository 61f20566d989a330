#pragma once
// Fixes the check time while it lives, so that no test depends on today's date.
#include "e2eCrypto/check_time.h"

#include <ctime>
#include <optional>

class FixedClock {
public:
    explicit FixedClock(std::time_t moment) { setCheckTime(moment); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
    ~FixedClock() { setCheckTime(std::nullopt); }
};

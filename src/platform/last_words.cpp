#include "platform/last_words.h"

#include "platform/file_descriptor.h"

#include <utility>

namespace platform {

void LastWords::set(std::string words) {
    const int next = slot_.load() == 0 ? 1 : 0;
    slots_[static_cast<std::size_t>(next)] = std::move(words);
    slot_.store(slots_[static_cast<std::size_t>(next)].empty() ? -1 : next);
}

void LastWords::writeTo(int fd) {
    const int taken = slot_.exchange(-1);
    if (taken >= 0) {
        writeAll(fd, slots_[static_cast<std::size_t>(taken)]);
    }
}

} // namespace platform

#pragma once

#include <array>
#include <atomic>
#include <string>

namespace platform {

// Words a stream is to get when a signal ends the program. Two slots, so that the handler (on
// whichever thread it runs) reads one that is not being changed.
class LastWords {
public:
    void set(std::string words);
    // Async-signal-safe.
    void writeTo(int fd);

private:
    std::array<std::string, 2> slots_;
    std::atomic<int> slot_{-1};
};

} // namespace platform

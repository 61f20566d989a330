#pragma once
// The signals that end the program when someone asks it to stop (SIGTERM, SIGHUP, SIGINT).
#include <array>
#include <csignal>

inline constexpr std::array<int, 3> endingSignals = {SIGTERM, SIGHUP, SIGINT};

// Index of signalNumber in endingSignals (the last index for any other).
inline std::size_t endingSignalIndex(int signalNumber) {
    std::size_t i = 0;
    while (i + 1 < endingSignals.size() && endingSignals[i] != signalNumber) {
        ++i;
    }
    return i;
}

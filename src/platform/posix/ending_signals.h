#pragma once
// The signals that end the program when someone asks it to stop (SIGTERM, SIGHUP, SIGINT), and a
// guard that holds them back while something must not be cut in two.
#include <pthread.h>

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

// The ending signals wait, on this thread, while it lives.
class EndingSignalsHeld {
public:
    EndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signalNumber : endingSignals) {
            sigaddset(&held, signalNumber);
        }
        ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
    ~EndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_{};
};

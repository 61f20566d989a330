#include "platform/posix/termination_cleanup.h"

#include "platform/save_record_hold.h"

#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

namespace {

constexpr std::array<int, 11> terminationSignals = {SIGTERM, SIGINT,  SIGHUP,  SIGQUIT,   SIGUSR1, SIGUSR2,
                                                    SIGALRM, SIGPIPE, SIGXCPU, SIGVTALRM, SIGPROF};

// The states of a place for a pending name. A handler takes a pending place for itself before it
// reads the name, so a holder can never refill a place whose name is being removed.
enum PlaceState : int { vacant, filling, pending, removing };

struct Place {
    std::atomic<int> state{vacant};
    char path[PATH_MAX];
};
static_assert(std::atomic<int>::is_always_lock_free, "read by a signal handler");

// Enough for every save of a program that runs one job at a time, several times over.
std::array<Place, 32> places;
std::atomic<int> deferrals{0};

// This thread's deferrals in progress, and its save-record hold: armed while one lives, holding once
// it has taken over the deferral of a commit (with the signal mask from before it).
thread_local int deferralDepth = 0;
struct RecordHold {
    bool armed = false;
    bool holding = false;
    sigset_t previous{};
};
thread_local RecordHold recordHold;

sigset_t terminationSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : terminationSignals) {
        sigaddset(&set, signalNumber);
    }
    return set;
}

extern "C" void removePendingAndEnd(int signalNumber) {
    awaitDeferredTermination();
    for (Place& place : places) {
        int expected = pending;
        if (place.state.compare_exchange_strong(expected, removing)) {
            ::unlink(place.path);
        }
    }
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(signalNumber, &standard, nullptr);
    // Delivered once this handler returns, with the default action: the process ends.
    ::raise(signalNumber);
}

} // namespace

void removeStagingFilesOnTermination() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction removing {};
        removing.sa_handler = removePendingAndEnd;
        removing.sa_mask = terminationSet();
        for (const int signalNumber : terminationSignals) {
            struct sigaction current {};
            // An ignored or handled signal belongs to whoever chose that.
            if (::sigaction(signalNumber, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
                current.sa_handler == SIG_DFL) {
                ::sigaction(signalNumber, &removing, nullptr);
            }
        }
    });
}

SystemResult PendingStagingName::hold(const std::string& path) {
    release();
    if (path.size() >= PATH_MAX) {
        return SystemResult::failed(ENAMETOOLONG);
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        int expected = vacant;
        if (places[i].state.compare_exchange_strong(expected, filling)) {
            std::memcpy(places[i].path, path.c_str(), path.size() + 1);
            places[i].state.store(pending);
            place_ = static_cast<int>(i);
            return SystemResult::done();
        }
    }
    return SystemResult::failed(EAGAIN);
}

void PendingStagingName::release() {
    if (place_ < 0) {
        return;
    }
    // A place a handler has taken stays taken: the process is ending.
    int expected = pending;
    places[static_cast<std::size_t>(place_)].state.compare_exchange_strong(expected, vacant);
    place_ = -1;
}

void awaitDeferredTermination() noexcept {
    const timespec pause{0, 1000000};
    while (deferrals.load() > 0) {
        ::nanosleep(&pause, nullptr);
    }
}

TerminationDeferred::TerminationDeferred() {
    const sigset_t held = terminationSet();
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
    ++deferrals;
    ++deferralDepth;
}

TerminationDeferred::~TerminationDeferred() {
    // The outermost deferral of this thread, ending under an armed hold: the hold keeps it.
    if (--deferralDepth == 0 && recordHold.armed && !recordHold.holding) {
        recordHold.holding = true;
        recordHold.previous = previous_;
        return;
    }
    --deferrals;
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

namespace platform {

SaveRecordHold::SaveRecordHold() {
    recordHold.armed = true;
}

SaveRecordHold::~SaveRecordHold() {
    release();
}

void SaveRecordHold::release() {
    recordHold.armed = false;
    if (recordHold.holding) {
        recordHold.holding = false;
        --deferrals;
        ::pthread_sigmask(SIG_SETMASK, &recordHold.previous, nullptr);
    }
}

} // namespace platform

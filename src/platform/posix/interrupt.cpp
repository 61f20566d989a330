#include "platform/interrupt.h"

#include "platform/posix/interrupt_stop.h"
#include "platform/posix/termination_cleanup.h"
#include "platform/work_progress.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> stopping{false};
struct sigaction before {};

extern "C" void stopWorkOrEnd(int signalNumber) {
    if (platform::interruptStopsWork(signalNumber)) {
        return;
    }
    // Anywhere else the signal goes on to what it did before.
    ::sigaction(signalNumber, &before, nullptr);
    ::raise(signalNumber);
}

} // namespace

namespace platform {

bool interruptStopsWork(int signalNumber) noexcept {
    WorkProgress* progress = WorkProgress::current();
    if (signalNumber != SIGINT || !stopping.load() || progress == nullptr || !progress->working()) {
        return false;
    }
    progress->requestStop();
    return true;
}

void stopWorkOnInterrupt() {
    // Underneath: outside the work, SIGINT still removes pending staging files as it ends the program.
    removeStagingFilesOnTermination();
    // A program started with SIGINT ignored (in the background of a script) keeps ignoring it.
    if (::sigaction(SIGINT, nullptr, &before) != 0 || before.sa_handler == SIG_IGN) {
        return;
    }
    stopping.store(true);
    struct sigaction stoppingAction {};
    stoppingAction.sa_handler = stopWorkOrEnd;
    sigemptyset(&stoppingAction.sa_mask);
    stoppingAction.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &stoppingAction, nullptr);
}

} // namespace platform

#include "platform/interrupt.h"

#include "platform/work_progress.h"

#include <csignal>

namespace {

extern "C" void stopWorkOrEnd(int signalNumber) {
    WorkProgress* progress = WorkProgress::current();
    if (progress != nullptr && progress->working()) {
        progress->requestStop();
        return;
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

} // namespace

namespace platform {

void stopWorkOnInterrupt() {
    struct sigaction stopping {};
    stopping.sa_handler = stopWorkOrEnd;
    sigemptyset(&stopping.sa_mask);
    stopping.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &stopping, nullptr);
}

} // namespace platform

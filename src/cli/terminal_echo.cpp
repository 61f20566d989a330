#include "terminal_echo.h"

#include <termios.h>

#include <array>
#include <cerrno>
#include <csignal>

namespace {

constexpr std::array<int, 5> handledSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};

// What a signal handler needs: set before any handler is installed, cleared after all are removed.
volatile sig_atomic_t echoFd = -1;
struct termios echoingMode;
struct termios quietMode;
struct sigaction previousActions[handledSignals.size()];
struct sigaction ownAction;

std::size_t slotOf(int signalNumber) {
    std::size_t slot = 0;
    while (slot + 1 < handledSignals.size() && handledSignals[slot] != signalNumber) {
        ++slot;
    }
    return slot;
}

// Puts the echo and the signal's own disposition back, then lets the signal do what it would have
// done. Only a stop (or an ignored signal) comes back here: the answer is still being typed, so the
// echo goes off again.
extern "C" void restoreEchoAndResend(int signalNumber) {
    const int savedErrno = errno;
    const std::size_t slot = slotOf(signalNumber);
    tcsetattr(echoFd, TCSANOW, &echoingMode);
    sigaction(signalNumber, &previousActions[slot], nullptr);
    raise(signalNumber);
    sigaction(signalNumber, &ownAction, nullptr);
    tcsetattr(echoFd, TCSANOW, &quietMode);
    errno = savedErrno;
}

} // namespace

EchoOff::EchoOff(int terminalFd) {
    if (tcgetattr(terminalFd, &echoingMode) != 0) {
        return;
    }
    quietMode = echoingMode;
    quietMode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quietMode.c_lflag |= ECHONL;
    echoFd = terminalFd;
    ownAction = {};
    ownAction.sa_handler = restoreEchoAndResend;
    // Not blocked in its own handler, so the resent signal acts at once.
    ownAction.sa_flags = SA_NODEFER;
    sigemptyset(&ownAction.sa_mask);
    for (std::size_t slot = 0; slot < handledSignals.size(); ++slot) {
        sigaction(handledSignals[slot], &ownAction, &previousActions[slot]);
    }
    // TCSADRAIN keeps what was typed ahead; TCSAFLUSH would throw it away.
    if (tcsetattr(terminalFd, TCSADRAIN, &quietMode) != 0) {
        restore();
    }
}

EchoOff::~EchoOff() {
    restore();
}

void EchoOff::restore() {
    if (echoFd < 0) {
        return;
    }
    tcsetattr(echoFd, TCSADRAIN, &echoingMode);
    for (std::size_t slot = 0; slot < handledSignals.size(); ++slot) {
        sigaction(handledSignals[slot], &previousActions[slot], nullptr);
    }
    echoFd = -1;
}

#include "platform/terminal_device.h"

#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string_view>

namespace platform {

bool isTerminalStream(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

namespace {

// The signals a hidden prompt watches: those that end the process, the stop of Ctrl-Z, and the
// continue after it.
constexpr std::array<int, 6> watchedSignals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT};

// What the handlers need: set before any is installed, cleared after all are removed.
volatile sig_atomic_t echoOffFd = -1;
struct termios echoingMode;
struct termios quietMode;
std::string_view shownPrompt;
struct sigaction ownAction;
std::array<struct sigaction, watchedSignals.size()> previousActions;
std::array<bool, watchedSignals.size()> watched{}; // an ignored signal stays ignored

std::size_t slotOf(int signalNumber) {
    std::size_t slot = 0;
    while (slot + 1 < watchedSignals.size() && watchedSignals[slot] != signalNumber) {
        ++slot;
    }
    return slot;
}

// Puts the terminal and the signal's own disposition back and lets the signal do what it would have
// done: end the process, stop it, or run the handler that was there. Whatever comes back here is
// still at the prompt, so typing is hidden again; on continuing after a stop the prompt is shown
// again, since the shell has written its own lines meanwhile.
extern "C" void restoreAndResend(int signalNumber) {
    const int savedErrno = errno;
    const std::size_t slot = slotOf(signalNumber);
    tcsetattr(echoOffFd, TCSANOW, &echoingMode);
    sigaction(signalNumber, &previousActions[slot], nullptr);
    raise(signalNumber);
    sigaction(signalNumber, &ownAction, nullptr);
    tcsetattr(echoOffFd, TCSANOW, &quietMode);
    if (signalNumber == SIGCONT) {
        writeAll(echoOffFd, shownPrompt);
    }
    errno = savedErrno;
}

sigset_t watchedSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : watchedSignals) {
        sigaddset(&set, signalNumber);
    }
    return set;
}

} // namespace

TerminalDevice::TerminalDevice() {
    input_ = output_ = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
}

TerminalDevice::~TerminalDevice() {
    if (input_ >= 0) {
        ::close(static_cast<int>(input_));
    }
}

bool TerminalDevice::available() const {
    return input_ >= 0;
}

void TerminalDevice::write(std::string_view text) const {
    writeAll(static_cast<int>(output_), text);
}

bool TerminalDevice::readByte(char& byte) const {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(input_), &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got == 1;
    }
}

TerminalDevice::EchoOff::EchoOff(const TerminalDevice& terminal, std::string_view prompt)
    : device_(terminal) {
    const int fd = static_cast<int>(terminal.input_);
    if (fd < 0 || tcgetattr(fd, &echoingMode) != 0) {
        terminal.write(prompt);
        return;
    }
    quietMode = echoingMode;
    quietMode.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quietMode.c_lflag |= ECHONL;
    shownPrompt = prompt;
    echoOffFd = fd;
    ownAction = {};
    ownAction.sa_handler = restoreAndResend;
    // Not blocked in its own handler, so the resent signal acts at once.
    ownAction.sa_flags = SA_NODEFER;
    sigemptyset(&ownAction.sa_mask);
    for (std::size_t slot = 0; slot < watchedSignals.size(); ++slot) {
        sigaction(watchedSignals[slot], nullptr, &previousActions[slot]);
        watched[slot] = previousActions[slot].sa_handler != SIG_IGN;
        if (watched[slot]) {
            sigaction(watchedSignals[slot], &ownAction, nullptr);
        }
    }
    // TCSADRAIN keeps what was typed ahead; TCSAFLUSH would throw it away.
    tcsetattr(fd, TCSADRAIN, &quietMode);
    terminal_ = &terminal;
    terminal.write(prompt);
}

void TerminalDevice::EchoOff::showPrompt(std::string_view prompt) {
    if (terminal_ != nullptr) {
        const sigset_t held = watchedSet();
        sigset_t previousMask;
        pthread_sigmask(SIG_BLOCK, &held, &previousMask);
        shownPrompt = prompt;
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    }
    device_.write(prompt);
}

TerminalDevice::EchoOff::~EchoOff() {
    if (terminal_ == nullptr) {
        return;
    }
    // Held back meanwhile, so that a signal finds either the prompt's state or the old one whole.
    const sigset_t held = watchedSet();
    sigset_t previousMask;
    pthread_sigmask(SIG_BLOCK, &held, &previousMask);
    tcsetattr(echoOffFd, TCSADRAIN, &echoingMode);
    for (std::size_t slot = 0; slot < watchedSignals.size(); ++slot) {
        if (watched[slot]) {
            sigaction(watchedSignals[slot], &previousActions[slot], nullptr);
        }
    }
    echoOffFd = -1;
    shownPrompt = {};
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
}

} // namespace platform

#include "platform/terminal_device.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>

namespace platform {

bool isTerminalStream(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

namespace {

// What an interrupted hidden read must put back before the process dies.
volatile sig_atomic_t echoOffFd = -1;
struct termios savedMode;
constexpr int endingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP};
// What the signals did before the echo went off; other handlers (such as one that writes a last
// record) still run after the echo is back.
using SignalHandler = void (*)(int);
SignalHandler previousHandlers[std::size(endingSignals)];

std::size_t indexOf(int signalNumber) {
    std::size_t i = 0;
    while (i + 1 < std::size(endingSignals) && endingSignals[i] != signalNumber) {
        ++i;
    }
    return i;
}

extern "C" void restoreEchoAndDie(int signalNumber) {
    if (echoOffFd >= 0) {
        tcsetattr(echoOffFd, TCSADRAIN, &savedMode);
    }
    std::signal(signalNumber, previousHandlers[indexOf(signalNumber)]);
    std::raise(signalNumber);
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
    const int fd = static_cast<int>(output_);
    while (fd >= 0 && !text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
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

TerminalDevice::EchoOff::EchoOff(const TerminalDevice& terminal) {
    const int fd = static_cast<int>(terminal.input_);
    if (fd < 0 || tcgetattr(fd, &savedMode) != 0) {
        return;
    }
    struct termios quiet = savedMode;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    echoOffFd = fd;
    for (std::size_t i = 0; i < std::size(endingSignals); ++i) {
        previousHandlers[i] = std::signal(endingSignals[i], restoreEchoAndDie);
    }
    tcsetattr(fd, TCSADRAIN, &quiet);
    terminal_ = &terminal;
}

TerminalDevice::EchoOff::~EchoOff() {
    if (terminal_ == nullptr) {
        return;
    }
    tcsetattr(echoOffFd, TCSADRAIN, &savedMode);
    echoOffFd = -1;
    for (std::size_t i = 0; i < std::size(endingSignals); ++i) {
        std::signal(endingSignals[i], previousHandlers[i]);
    }
}

} // namespace platform

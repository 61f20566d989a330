#include "terminal.h"

#include "platform/posix/file_descriptor.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// What an interrupted hidden read must put back before the process dies.
volatile sig_atomic_t echoOffFd = -1;
struct termios savedMode;

extern "C" void restoreEchoAndDie(int signalNumber) {
    if (echoOffFd >= 0) {
        tcsetattr(echoOffFd, TCSAFLUSH, &savedMode);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// Turns the echo off for its lifetime, and back on when a signal ends the process meanwhile.
class EchoOff {
public:
    explicit EchoOff(int fd) : fd_(fd) {
        if (tcgetattr(fd_, &savedMode) != 0) {
            fd_ = -1;
            return;
        }
        struct termios quiet = savedMode;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        echoOffFd = fd_;
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP}) {
            std::signal(signalNumber, restoreEchoAndDie);
        }
        tcsetattr(fd_, TCSAFLUSH, &quiet);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    ~EchoOff() {
        if (fd_ < 0) {
            return;
        }
        tcsetattr(fd_, TCSAFLUSH, &savedMode);
        echoOffFd = -1;
        for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP}) {
            std::signal(signalNumber, SIG_DFL);
        }
    }

private:
    int fd_;
};

} // namespace

Terminal::Terminal() : fd_(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY)) {}

Terminal::~Terminal() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void Terminal::write(const std::string& text) const {
    if (fd_ >= 0) {
        writeAll(fd_, text);
    }
}

bool Terminal::readRawLine(std::string& line) {
    line.clear();
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(fd_, &byte, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            // End of input before a line ended: nothing was answered. The cursor still moves on.
            write("\n");
            return false;
        }
        if (byte == '\n') {
            return true;
        }
        line.push_back(byte);
    }
}

std::optional<std::string> Terminal::readLine(const std::string& prompt) {
    if (!available()) {
        return std::nullopt;
    }
    write(prompt);
    std::string line;
    if (!readRawLine(line)) {
        return std::nullopt;
    }
    return line;
}

std::optional<SecretString> Terminal::readSecretLine(const std::string& prompt) {
    if (!available()) {
        return std::nullopt;
    }
    write(prompt);
    const EchoOff quiet(fd_);
    SecretString line;
    // Read straight into the wiped buffer, so that no copy of the secret is left behind.
    line.mutableStr().reserve(256);
    if (!readRawLine(line.mutableStr())) {
        line.wipe();
        return std::nullopt;
    }
    return line;
}

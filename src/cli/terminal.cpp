#include "terminal.h"

#include "terminal_echo.h"

#include "platform/posix/file_descriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

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
    // Off before the prompt shows, so nothing typed as it appears is shown in clear.
    const EchoOff quiet(fd_);
    write(prompt);
    SecretString line;
    // Read straight into the wiped buffer, so that no copy of the secret is left behind.
    line.mutableStr().reserve(256);
    if (!readRawLine(line.mutableStr())) {
        line.wipe();
        return std::nullopt;
    }
    return line;
}

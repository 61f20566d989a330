#include "terminal.h"

Terminal::Terminal() = default;

Terminal::~Terminal() = default;

void Terminal::write(const std::string& text) const {
    device_.write(text);
}

bool Terminal::readRawLine(std::string& line) {
    line.clear();
    for (;;) {
        char byte = 0;
        if (!device_.readByte(byte)) {
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
    const platform::TerminalDevice::EchoOff quiet(device_);
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

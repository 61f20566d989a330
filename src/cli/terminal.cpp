#include "terminal.h"

namespace {

// Reads typed bytes into line up to the line ending; false at the end of input before one.
template <typename Line> bool readLineInto(const platform::TerminalDevice& device, Line& line) {
    for (;;) {
        char byte = 0;
        if (!device.readByte(byte)) {
            // Nothing was answered. The cursor still moves on.
            device.write("\n");
            return false;
        }
        if (byte == '\n') {
            return true;
        }
        line.push_back(byte);
    }
}

} // namespace

Terminal::Terminal() = default;

Terminal::~Terminal() = default;

void Terminal::write(const std::string& text) const {
    device_.write(text);
}

std::optional<std::string> Terminal::readLine(const std::string& prompt) {
    if (!available()) {
        return std::nullopt;
    }
    // The answer to a question is seen as it is typed.
    hidden_.reset();
    write(prompt);
    std::string line;
    const bool answered = readLineInto(device_, line);
    if (hidingTyping_) {
        hidden_.emplace(device_, "");
    }
    if (!answered) {
        return std::nullopt;
    }
    return line;
}

std::optional<SecretString> Terminal::readSecretLine(const std::string& prompt) {
    if (!available()) {
        return std::nullopt;
    }
    // Off before the prompt shows, so nothing typed as it appears is shown in clear.
    std::optional<platform::TerminalDevice::EchoOff> quiet;
    if (hidden_) {
        hiddenPrompt_ = prompt;
        hidden_->showPrompt(hiddenPrompt_);
    } else {
        quiet.emplace(device_, prompt);
    }
    SecretString line;
    const bool answered = readLineInto(device_, line);
    if (hidden_) {
        hidden_->showPrompt("");
    }
    if (!answered) {
        return std::nullopt;
    }
    return line;
}

void Terminal::hideTyping() {
    if (available()) {
        hidingTyping_ = true;
        hidden_.emplace(device_, "");
    }
}

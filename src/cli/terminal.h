#pragma once
// The terminal the person sits at, for questions and hidden pass-phrase entry. Without one
// (scripts, cron, CI) every read answers nothing.
#include "e2eCrypto/secret_string.h"
#include "platform/terminal_device.h"

#include <optional>
#include <string>

class Terminal {
public:
    Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    ~Terminal();

    bool available() const { return device_.available(); }
    // Shows prompt and reads one line with echo on; nothing at end of input or without a terminal.
    std::optional<std::string> readLine(const std::string& prompt);
    // The same with echo off, for pass phrases and passwords; the echo is back on however it ends.
    std::optional<SecretString> readSecretLine(const std::string& prompt);
    // From now on typing is hidden (but while a question is asked), so that a pass phrase typed
    // before its prompt shows is never shown; it shows again when this object ends, and on a stop
    // (Ctrl-Z) until the job continues.
    void hideTyping();

private:
    void write(const std::string& text) const;

    platform::TerminalDevice device_;
    bool hidingTyping_ = false;
    std::string hiddenPrompt_; // the prompt shown again after a stop
    std::optional<platform::TerminalDevice::EchoOff> hidden_;
};

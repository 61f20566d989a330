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

private:
    void write(const std::string& text) const;

    platform::TerminalDevice device_;
};

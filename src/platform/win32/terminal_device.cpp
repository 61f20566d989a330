#include "platform/terminal_device.h"

#include <io.h>
#include <windows.h>

#include <atomic>
#include <cstdio>

namespace platform {

bool isTerminalStream(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

namespace {

// What an interrupted hidden read must put back before the process ends.
std::atomic<HANDLE> echoOffConsole{INVALID_HANDLE_VALUE};
DWORD savedMode = 0;

BOOL WINAPI restoreEchoOnControl(DWORD) {
    const HANDLE console = echoOffConsole.load();
    if (console != INVALID_HANDLE_VALUE) {
        SetConsoleMode(console, savedMode);
    }
    return FALSE; // the default handler then ends the process
}

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t openConsole(const wchar_t* name, DWORD access) {
    const HANDLE handle =
        CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

} // namespace

TerminalDevice::TerminalDevice() {
    input_ = openConsole(L"CONIN$", GENERIC_READ | GENERIC_WRITE);
    DWORD mode = 0;
    // A handle that is no console (none attached) answers nothing, as a missing terminal does.
    if (input_ != -1 && !GetConsoleMode(handleOf(input_), &mode)) {
        CloseHandle(handleOf(input_));
        input_ = -1;
    }
    if (input_ != -1) {
        output_ = openConsole(L"CONOUT$", GENERIC_READ | GENERIC_WRITE);
    }
}

TerminalDevice::~TerminalDevice() {
    for (std::intptr_t handle : {input_, output_}) {
        if (handle != -1) {
            CloseHandle(handleOf(handle));
        }
    }
}

bool TerminalDevice::available() const {
    return input_ != -1;
}

void TerminalDevice::write(std::string_view text) const {
    while (output_ != -1 && !text.empty()) {
        DWORD written = 0;
        const DWORD piece = text.size() > (1u << 20) ? (1u << 20) : static_cast<DWORD>(text.size());
        if (!WriteFile(handleOf(output_), text.data(), piece, &written, nullptr) || written == 0) {
            return;
        }
        text.remove_prefix(written);
    }
}

// The console ends each line with "\r\n"; the carriage return is dropped.
bool TerminalDevice::readByte(char& byte) const {
    for (;;) {
        DWORD got = 0;
        if (input_ == -1 || !ReadFile(handleOf(input_), &byte, 1, &got, nullptr) || got != 1) {
            return false;
        }
        if (byte != '\r') {
            return true;
        }
    }
}

TerminalDevice::EchoOff::EchoOff(const TerminalDevice& terminal, std::string_view prompt)
    : device_(terminal) {
    const HANDLE console = handleOf(terminal.input_);
    if (terminal.input_ == -1 || !GetConsoleMode(console, &savedMode)) {
        terminal.write(prompt);
        return;
    }
    echoOffConsole = console;
    SetConsoleCtrlHandler(restoreEchoOnControl, TRUE);
    SetConsoleMode(console, savedMode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    terminal_ = &terminal;
    terminal.write(prompt);
}

void TerminalDevice::EchoOff::showPrompt(std::string_view prompt) {
    device_.write(prompt);
}

TerminalDevice::EchoOff::~EchoOff() {
    if (terminal_ == nullptr) {
        return;
    }
    SetConsoleMode(echoOffConsole.load(), savedMode);
    echoOffConsole = INVALID_HANDLE_VALUE;
    SetConsoleCtrlHandler(restoreEchoOnControl, FALSE);
    // The console does not move to the next line for a hidden line ending.
    terminal_->write("\r\n");
}

} // namespace platform

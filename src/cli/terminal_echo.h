#pragma once
// The terminal's echo, turned off while a hidden answer is typed. Its only operating-system code is
// in terminal_echo.cpp.

// Turns the echo off for its lifetime, from before the prompt is shown, without discarding what
// was typed ahead. It comes back on when the object ends, however it ends: a return, an exception,
// or a signal that ends or stops the process (after a stop it is turned off again on continuing).
class EchoOff {
public:
    explicit EchoOff(int terminalFd);
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    ~EchoOff();

private:
    void restore();
};

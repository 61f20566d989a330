#pragma once
// The terminal the person sits at (the controlling terminal, or the console on Windows), apart from
// standard input and output, which may be pipes. Without one, nothing is read.
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace platform {

// Whether the stream writes to a terminal rather than to a file or a pipe.
bool isTerminalStream(std::FILE* stream);

class TerminalDevice {
public:
    TerminalDevice();
    TerminalDevice(const TerminalDevice&) = delete;
    TerminalDevice& operator=(const TerminalDevice&) = delete;
    ~TerminalDevice();

    bool available() const;
    void write(std::string_view text) const;
    // One byte of typed input, a line ending as '\n'; false at the end of input or on failure.
    bool readByte(char& byte) const;

    // Typed characters are not shown while it lives (the line ending still moves the cursor); the
    // prompt, which must outlive it, is shown once they are hidden. A signal meanwhile finds the echo
    // back on and the signal handlers as they were; a job stopped at the prompt (Ctrl-Z) is handed
    // back its terminal as it was, and on continuing hides typing again and shows the prompt again.
    // The handlers that were in place come back when it ends.
    class EchoOff {
    public:
        EchoOff(const TerminalDevice& terminal, std::string_view prompt);
        EchoOff(const EchoOff&) = delete;
        EchoOff& operator=(const EchoOff&) = delete;
        ~EchoOff();

        // Shows another prompt (which must outlive it in turn) with typing still hidden: the one a
        // continued job shows again. Typing is never shown in between.
        void showPrompt(std::string_view prompt);

    private:
        const TerminalDevice& device_;
        const TerminalDevice* terminal_ = nullptr; // set while the echo is off
    };

private:
    // The system's handles for reading and writing (the same descriptor on POSIX systems); -1 without.
    std::intptr_t input_ = -1;
    std::intptr_t output_ = -1;
};

} // namespace platform

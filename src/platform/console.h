#pragma once
// The console window a program's text is shown in. POSIX terminals show the program's UTF-8 as it
// is and every program has its standard streams, so there this is all no-op; a Windows console
// shows its own code page, and a Windows GUI program starts without streams.

namespace platform {

// While it lives, the console the program writes to shows UTF-8; its own code page comes back
// afterwards. Output to files and pipes is UTF-8 either way.
class Utf8Console {
public:
    Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;
    ~Utf8Console();

private:
    // Only a Windows console has a code page to give back; 0 when there is no console.
    [[maybe_unused]] unsigned int savedCodePage_ = 0;
};

// A program without standard output (a Windows GUI program started from a console) writes to the
// console it was started from, so --help and --version are seen there.
void reachParentConsole();

} // namespace platform

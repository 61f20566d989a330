#include "platform/console.h"

#include <windows.h>

#include <cstdio>

namespace platform {

Utf8Console::Utf8Console() : savedCodePage_(GetConsoleOutputCP()) {
    if (savedCodePage_ != 0 && savedCodePage_ != CP_UTF8) {
        SetConsoleOutputCP(CP_UTF8);
    }
}

Utf8Console::~Utf8Console() {
    if (savedCodePage_ != 0 && savedCodePage_ != CP_UTF8) {
        SetConsoleOutputCP(savedCodePage_);
    }
}

void reachParentConsole() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    // Redirected output is there already and stays where it was sent.
    if (output != nullptr && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN) {
        return;
    }
    // Where it fails, the streams stay as they were: nowhere.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        static_cast<void>(std::freopen("CONOUT$", "w", stdout));
        static_cast<void>(std::freopen("CONOUT$", "w", stderr));
    }
}

} // namespace platform

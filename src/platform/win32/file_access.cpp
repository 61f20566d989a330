#include "platform/file_access.h"

#include "wide_text.h"

#include <windows.h>

#include <io.h>

#include <string>

namespace platform {

namespace {

constexpr int existence = 0;
constexpr int writing = 2;
constexpr int reading = 4;

bool allows(const std::string& path, int mode) {
    return !path.empty() && ::_waccess(widen(path).c_str(), mode) == 0;
}

} // namespace

bool isReadable(const std::string& path) {
    return allows(path, reading);
}

bool isWritable(const std::string& path) {
    return allows(path, writing);
}

bool exists(const std::string& path) {
    return allows(path, existence);
}

bool canCreateFileIn(const std::string& directory) {
    if (directory.empty()) {
        return false;
    }
    const bool endsInSeparator = directory.back() == '\\' || directory.back() == '/';
    const std::string probe = directory + (endsInSeparator ? "" : "\\") + "quillbox-write-check-" +
                              std::to_string(GetCurrentProcessId()) + ".tmp";
    // The system removes the file when its only handle closes.
    const HANDLE file =
        CreateFileW(widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

} // namespace platform

#include "platform/directories.h"

#include "wide_text.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

// The standard library's paths read narrow strings in the system's 8-bit code page, not as UTF-8:
// every path crosses as UTF-16.

namespace platform {

std::string absolutePath(const std::string& path) {
    const std::wstring wide = widen(path);
    if (wide.empty()) {
        return path;
    }
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return path;
    }
    std::wstring absolute(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, absolute.data(), nullptr);
    if (length == 0 || length >= size) {
        return path;
    }
    absolute.resize(length);
    return narrow(absolute);
}

bool createDirectories(const std::string& path) {
    const std::filesystem::path directory(widen(path));
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    return std::filesystem::is_directory(directory, error);
}

} // namespace platform

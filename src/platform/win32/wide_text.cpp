#include "wide_text.h"

#include <windows.h>

#include <climits>

namespace platform {

std::wstring widen(const std::string& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::wstring();
    }
    const int length = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string narrow(const std::wstring& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX)) {
        return std::string();
    }
    const int length = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(
                          WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr)),
                      '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), static_cast<int>(bytes.size()),
                        nullptr, nullptr);
    return bytes;
}

} // namespace platform

#pragma once
// The program holds paths as UTF-8 on every system; the standard library reads a narrow string in
// the Windows code page, so paths cross to and from it as UTF-8 explicitly.
#include <filesystem>
#include <string>

namespace platform {

inline std::filesystem::path utf8Path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8String(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

} // namespace platform

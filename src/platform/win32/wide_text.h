#pragma once
// Paths are UTF-8 inside the program and UTF-16 at the Win32 API.
#include <string>

namespace platform {

std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);

} // namespace platform

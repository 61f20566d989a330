#include "platform/user_directories.h"

#include "wide_text.h"

#include <shlobj.h>
#include <windows.h>

#include <memory>

namespace platform {

namespace {

std::string withSeparator(std::string directory) {
    if (!directory.empty() && directory.back() != '\\') {
        directory += '\\';
    }
    return directory;
}

std::string knownFolder(REFKNOWNFOLDERID folder) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(folder, KF_FLAG_DEFAULT, nullptr, &path);
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, CoTaskMemFree);
    return SUCCEEDED(result) && path != nullptr ? withSeparator(narrow(path)) : std::string();
}

} // namespace

std::string executableDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.rfind(L'\\');
    return separator == std::wstring::npos ? std::string() : narrow(path.substr(0, separator + 1));
}

std::string homeDirectory() {
    return knownFolder(FOLDERID_Profile);
}

std::string userDataDirectory() {
    return knownFolder(FOLDERID_RoamingAppData);
}

} // namespace platform

#include "platform/user_directories.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string withSeparator(std::string directory) {
    if (!directory.empty() && directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

} // namespace

std::string executableDirectory() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : withSeparator(executable.parent_path().string());
}

std::string homeDirectory() {
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
            home = entry->pw_dir;
        }
    }
    return withSeparator(home);
}

// $XDG_DATA_HOME when it is an absolute path (relative ones are to be ignored), else ~/.local/share.
std::string userDataDirectory() {
    const std::string xdg = environment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') {
        return withSeparator(xdg);
    }
    const std::string home = homeDirectory();
    return (home.empty() ? std::string("/") : home) + ".local/share/";
}

} // namespace platform

#include "pipeline/app_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string withTrailingSlash(std::string directory) {
    if (directory.empty() || directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string homeDirectory() {
    std::string home = environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
            home = entry->pw_dir;
        }
    }
    return home;
}

// $XDG_DATA_HOME when it is an absolute path (relative ones are to be ignored), else ~/.local/share.
std::string userDataDirectory() {
    const std::string xdg = environment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') {
        return withTrailingSlash(xdg);
    }
    return withTrailingSlash(homeDirectory()) + ".local/share/";
}

// A program installed for the whole system never keeps its files beside itself, even when it runs
// as root and could write there.
bool isSystemProgramDirectory(const std::string& directory) {
    std::error_code ignored;
    const auto canonical = std::filesystem::weakly_canonical(directory, ignored);
    for (const char* system : {QUILLBOX_INSTALL_BINDIR, "/usr/bin", "/usr/local/bin", "/bin", "/usr/sbin", "/sbin"}) {
        if (canonical == std::filesystem::weakly_canonical(system, ignored)) {
            return true;
        }
    }
    return false;
}

std::string created(std::string directory) {
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    return directory;
}

} // namespace

AppPaths resolveAppPaths(const std::string& executableDirectory) {
    const std::string home = environment("QUILLBOX_HOME");
    if (!home.empty()) {
        return {created(withTrailingSlash(home))};
    }
    if (!executableDirectory.empty() && ::access(executableDirectory.c_str(), W_OK) == 0 &&
        !isSystemProgramDirectory(executableDirectory)) {
        return {withTrailingSlash(executableDirectory)};
    }
    return {created(userDataDirectory() + "quillbox-reader/")};
}

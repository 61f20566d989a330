#include "pipeline/app_paths.h"

#include "platform/directories.h"
#include "platform/file_access.h"
#include "platform/path_conventions.h"
#include "platform/user_directories.h"
#include "platform/utf8_path.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::string withTrailingSlash(std::string directory) {
    if (directory.empty() || directory.back() != platform::directorySeparator()) {
        directory += platform::directorySeparator();
    }
    return directory;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// A program installed for the whole system never keeps its files beside itself, even when it runs
// as root and could write there.
bool isSystemProgramDirectory(const std::string& directory, const std::string& installedProgramDirectory) {
    std::error_code ignored;
    const auto canonical = std::filesystem::weakly_canonical(platform::utf8Path(directory), ignored);
    const auto isDirectory = [&](const std::string& system) {
        return canonical == std::filesystem::weakly_canonical(platform::utf8Path(system), ignored);
    };
    if (isDirectory(installedProgramDirectory)) {
        return true;
    }
    for (const char* system : {"/usr/bin", "/usr/local/bin", "/bin", "/usr/sbin", "/sbin"}) {
        if (isDirectory(system)) {
            return true;
        }
    }
    return false;
}

std::string created(std::string directory) {
    platform::createDirectories(directory);
    return directory;
}

} // namespace

AppPaths resolveAppPaths(const std::string& executableDirectory,
                         const std::string& installedProgramDirectory) {
    const std::string home = environment("QUILLBOX_HOME");
    if (!home.empty()) {
        return {created(withTrailingSlash(home))};
    }
    if (!executableDirectory.empty() && platform::canCreateFileIn(executableDirectory) &&
        !isSystemProgramDirectory(executableDirectory, installedProgramDirectory)) {
        return {withTrailingSlash(executableDirectory)};
    }
    return {created(platform::userDataDirectory() + "quillbox-reader" + platform::directorySeparator())};
}

#include "cli_paths.h"

#include "platform/directories.h"
#include "platform/path_conventions.h"
#include "platform/user_directories.h"

std::string absolutePath(const std::string& path) {
    return platform::absolutePath(path);
}

std::string executableDirectory() {
    const std::string directory = platform::executableDirectory();
    return directory.empty() ? std::string(".") + platform::directorySeparator() : directory;
}

#include "cli_paths.h"

#include "platform/path_conventions.h"
#include "platform/user_directories.h"

#include <filesystem>
#include <system_error>

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string executableDirectory() {
    const std::string directory = platform::executableDirectory();
    return directory.empty() ? std::string(".") + platform::directorySeparator() : directory;
}

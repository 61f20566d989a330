#include "platform/directories.h"

#include <climits>
#include <filesystem>
#include <system_error>

namespace platform {

std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    const std::string normal = absolute.lexically_normal().string();
    if (!error && normal.size() < PATH_MAX) {
        return normal;
    }
    // Under a deep working directory the absolute form is too long to open, while the name as given
    // still reaches the file; "./" keeps a directory in it.
    return path.empty() || path.front() == '/' ? path : "./" + path;
}

bool createDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

} // namespace platform

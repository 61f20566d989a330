#include "platform/path_conventions.h"

namespace platform {

char directorySeparator() {
    return '/';
}

std::size_t lastSeparator(const std::string& path) {
    return path.rfind('/');
}

std::string rootPath() {
    return "/";
}

const char* textLineEnd() {
    return "\n";
}

} // namespace platform

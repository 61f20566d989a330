#include "platform/path_conventions.h"

namespace platform {

char directorySeparator() {
    return '\\';
}

// The system takes either character as a separator, whichever the program writes.
std::size_t lastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

std::string rootPath() {
    return "C:\\";
}

const char* textLineEnd() {
    return "\r\n";
}

} // namespace platform

#include "platform/path_conventions.h"

namespace platform {

char directorySeparator() {
    return '\\';
}

std::string rootPath() {
    return "C:\\";
}

} // namespace platform

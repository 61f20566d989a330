#include "platform/file_access.h"

#include <unistd.h>

namespace platform {

bool isReadable(const std::string& path) {
    return ::access(path.c_str(), R_OK) == 0;
}

bool isWritable(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

bool exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

} // namespace platform

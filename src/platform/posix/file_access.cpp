#include "platform/file_access.h"

#include <unistd.h>

#include <cstdlib>

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

bool canCreateFileIn(const std::string& directory) {
    if (directory.empty()) {
        return false;
    }
    std::string probe = directory + (directory.back() == '/' ? "" : "/") + ".quillbox-write-check-XXXXXX";
    const int descriptor = ::mkstemp(probe.data());
    if (descriptor < 0) {
        return false;
    }
    ::close(descriptor);
    ::unlink(probe.c_str());
    return true;
}

} // namespace platform

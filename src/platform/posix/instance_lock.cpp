#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace platform {

namespace {

bool sameFile(int descriptor, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(descriptor, &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

InstanceLock::InstanceLock(const std::string& name) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    if (error) {
        return;
    }
    const std::string path = (directory / (name + ".lock")).string();
    // A holder that lets go removes the file; a lock taken on a file that was removed meanwhile
    // is one that nobody else will find, so it is taken again on the file now there.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (descriptor < 0) {
            return;
        }
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            ::close(descriptor);
            return;
        }
        if (sameFile(descriptor, path)) {
            handle_ = descriptor;
            path_ = path;
            return;
        }
        ::close(descriptor);
    }
}

InstanceLock::~InstanceLock() {
    if (held()) {
        // Removed while still locked, so that no later copy locks the file being let go.
        ::unlink(path_.c_str());
        ::close(static_cast<int>(handle_));
    }
}

} // namespace platform

#include "platform/directory_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

DirectoryLock::DirectoryLock(const std::string& directory)
    : handle_(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (handle_ < 0) {
        return;
    }
    int locked = 0;
    do {
        locked = ::flock(static_cast<int>(handle_), LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    held_ = locked == 0;
}

DirectoryLock::~DirectoryLock() {
    // Closing the descriptor releases the lock.
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

} // namespace platform

#include "platform/posix/open_of_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int openOfKind(const std::string& path, int flags, mode_t kind) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || (status.st_mode & S_IFMT) != kind) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace platform

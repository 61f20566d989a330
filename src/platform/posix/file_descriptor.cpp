#include "platform/posix/file_descriptor.h"

#include <unistd.h>

#include <cerrno>

bool FileDescriptor::close() {
    if (fd_ < 0) {
        return true;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
}

bool writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

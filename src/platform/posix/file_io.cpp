#include "platform/file_io.h"

#include "platform/posix/link_resolution.h"
#include "platform/posix/open_of_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

int openRegularFile(const std::string& path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it changes nothing for a regular file.
    return openOfKind(path, O_RDONLY | O_NONBLOCK, S_IFREG);
}

int openForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
}

int openForAppend(const std::string& path) {
    // Appended to as a save is written: never through a link planted in a shared folder.
    const std::optional<std::string> target = followLinks(path);
    if (!target) {
        errno = EACCES;
        return -1;
    }
    return ::open(target->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
}

std::int64_t fileSize(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

std::int64_t readSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer, size);
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

bool rewindFile(int fd) {
    return ::lseek(fd, 0, SEEK_SET) == 0;
}

std::int64_t writeSome(int fd, const char* bytes, std::size_t size) {
    for (;;) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written >= 0 || errno != EINTR) {
            return written;
        }
    }
}

bool truncateFile(int fd, std::int64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool closeFile(int fd) {
    return ::close(fd) == 0;
}

std::FILE* readStreamOf(int fd) {
    return ::fdopen(fd, "rb");
}

} // namespace platform

#include "platform/file_io.h"

#include "wide_text.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

// The C runtime counts bytes in an unsigned int: larger requests go in pieces.
constexpr std::size_t largestPiece = std::size_t{1} << 30;

} // namespace

int openRegularFile(const std::string& path) {
    const int fd = path.empty() ? -1 : ::_wopen(widen(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        return -1;
    }
    struct _stat64 status {};
    if (::_fstat64(fd, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        ::_close(fd);
        return -1;
    }
    return fd;
}

int openForReading(const std::string& path) {
    return path.empty() ? -1 : ::_wopen(widen(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int openForAppend(const std::string& path) {
    return path.empty()
               ? -1
               : ::_wopen(widen(path).c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
}

std::int64_t fileSize(int fd) {
    struct _stat64 status {};
    return ::_fstat64(fd, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

std::int64_t readSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const int got = ::_read(fd, buffer, static_cast<unsigned>(std::min(size, largestPiece)));
        if (got >= 0 || errno != EINTR) {
            return got;
        }
    }
}

bool rewindFile(int fd) {
    return ::_lseeki64(fd, 0, SEEK_SET) == 0;
}

std::int64_t writeSome(int fd, const char* bytes, std::size_t size) {
    for (;;) {
        const int written = ::_write(fd, bytes, static_cast<unsigned>(std::min(size, largestPiece)));
        if (written >= 0 || errno != EINTR) {
            return written;
        }
    }
}

bool truncateFile(int fd, std::int64_t size) {
    return ::_chsize_s(fd, size) == 0;
}

bool closeFile(int fd) {
    return ::_close(fd) == 0;
}

std::FILE* readStreamOf(int fd) {
    return ::_fdopen(fd, "rb");
}

} // namespace platform

#include "e2eCrypto/whole_file.h"

#include "platform/posix/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

bool ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    if (::access(path.c_str(), R_OK) != 0) {
        return false;
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    const auto size = static_cast<std::size_t>(status.st_size);
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return false;
    }
    try {
        content.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return false; // too large for memory: reported as unreadable rather than ending the program
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(file.get(), content.data() + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return size != 0;
}

#include "platform/file_kind.h"

#include "platform/posix/open_of_kind.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

FileKind fileKind(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return FileKind::Missing;
    }
    return S_ISREG(status.st_mode)    ? FileKind::Regular
           : S_ISDIR(status.st_mode)  ? FileKind::Directory
           : S_ISFIFO(status.st_mode) ? FileKind::Pipe
           : S_ISCHR(status.st_mode)  ? FileKind::CharacterDevice
                                      : FileKind::Other;
}

bool sameFile(const std::string& first, const std::string& second) {
    struct stat one {};
    struct stat other {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

int openDeviceForWriting(const std::string& path) {
    return openOfKind(path, O_WRONLY | O_NOCTTY, S_IFCHR);
}

} // namespace platform

#pragma once
// A folder that takes new names but never lets one go (the append-only flag), as a folder whose
// permissions change during a save: nothing in it can be renamed or removed.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <string>

// Sets or clears the flag that lets a directory take new names but never lose one; false where the
// file system or the process cannot.
inline bool keepEveryName(const std::string& directory, bool keep) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = keep ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

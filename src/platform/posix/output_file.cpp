#include "platform/output_file.h"

#include "platform/file_descriptor.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/staged_file.h"
#include "platform/work_progress.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>

// A new content reaches the disk in a staged file that only takes the output's name when it is
// complete and measured, so a failure never costs the old file and never leaves a short one behind.
// Where that would take the file from its owner, its other names or its attributes, the content is
// written into the file itself after its space is reserved.

namespace {

constexpr int maxLinkHops = 40;

bool isDiskFullError(int error) {
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
}

SaveStatus statusOfError(int error) {
    return isDiskFullError(error) ? SaveStatus::DiskFull : SaveStatus::Failed;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// The file that a chain of symbolic links ends at, whether or not it exists.
std::string followLinks(std::string path) {
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return path;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
            return path;
        }
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : directoryOf(path) + target;
    }
    return path;
}

// Writes the whole content from the start of the file, cuts what lies beyond it, flushes to the
// disk and compares the size that arrived with the size that was meant.
SaveStatus fill(int fd, std::string_view bytes) {
    if (!writeAll(fd, bytes) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
        return statusOfError(errno);
    }
    struct stat written {};
    if (::fstat(fd, &written) != 0) {
        return SaveStatus::Failed;
    }
    return static_cast<std::size_t>(written.st_size) == bytes.size() ? SaveStatus::Saved
                                                                     : SaveStatus::DiskFull;
}

void syncDirectory(const std::string& directory) {
    const FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.isOpen()) {
        ::fsync(dir.get());
    }
}

// The space is reserved before the first byte changes, so a full disk fails with the old content whole.
SaveStatus writeInPlace(const std::string& target, std::string_view bytes) {
    const StopHeld wholeOrNothing; // stopped halfway, the old content would be lost
    const FileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return SaveStatus::Failed;
    }
    const int reserved = ::posix_fallocate(file.get(), 0, static_cast<off_t>(bytes.size()));
    if (reserved != 0 && reserved != EOPNOTSUPP) {
        return statusOfError(reserved);
    }
    return fill(file.get(), bytes);
}

// A new name in the directory, or a file with more names than this one, cannot take the file's place.
bool mustWriteInPlace(const std::string& target, const struct stat& old) {
    return old.st_nlink > 1 || ::access(directoryOf(target).c_str(), W_OK | X_OK) != 0;
}

bool refusedByDirectory(int error) {
    return error == EACCES || error == EPERM;
}

SaveStatus replaceFile(const std::string& target, std::string_view bytes, const struct stat& old) {
    if (mustWriteInPlace(target, old)) {
        return writeInPlace(target, bytes);
    }
    StagedFile staged(directoryOf(target), S_IRUSR | S_IWUSR);
    if (!staged.isOpen()) {
        return refusedByDirectory(errno) ? writeInPlace(target, bytes) : SaveStatus::Failed;
    }
    if (!takeOverAttributes(staged.fd(), old, target)) {
        return writeInPlace(target, bytes);
    }
    const SaveStatus status = fill(staged.fd(), bytes);
    if (status != SaveStatus::Saved) {
        return status;
    }
    if (!staged.renameOver(target)) {
        // A sticky directory lets only a file's owner replace it.
        return refusedByDirectory(errno) ? writeInPlace(target, bytes) : SaveStatus::Failed;
    }
    syncDirectory(directoryOf(target));
    return SaveStatus::Saved;
}

SaveStatus createFile(const std::string& target, std::string_view bytes, ExistingFile existing) {
    // 0666 less the umask, as for any newly created file.
    StagedFile staged(directoryOf(target), 0666);
    if (!staged.isOpen()) {
        return SaveStatus::Failed;
    }
    const SaveStatus status = fill(staged.fd(), bytes);
    if (status != SaveStatus::Saved) {
        return status;
    }
    // Keeping a file that appeared meanwhile takes a name that no other file holds.
    const bool named = existing == ExistingFile::Keep ? staged.linkAs(target) : staged.renameOver(target);
    if (!named) {
        return existing == ExistingFile::Keep && errno == EEXIST ? SaveStatus::Exists : SaveStatus::Failed;
    }
    syncDirectory(directoryOf(target));
    return SaveStatus::Saved;
}

} // namespace

void treatFileSizeLimitAsWriteError() {
    std::signal(SIGXFSZ, SIG_IGN);
}

bool isReadOnlyFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

SaveStatus saveWholeFile(const std::string& path, std::string_view bytes, ExistingFile existing) {
    treatFileSizeLimitAsWriteError();
    // An empty content is never saved, as the size check would refuse it anyway; nothing is touched.
    if (bytes.empty()) {
        return SaveStatus::DiskFull;
    }
    const std::string target = followLinks(path);
    struct stat old {};
    if (::stat(target.c_str(), &old) != 0) {
        return createFile(target, bytes, existing);
    }
    if (!S_ISREG(old.st_mode) || isReadOnlyFile(target)) {
        return SaveStatus::Failed;
    }
    if (existing == ExistingFile::Keep) {
        return SaveStatus::Exists;
    }
    return replaceFile(target, bytes, old);
}

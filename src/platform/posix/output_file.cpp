#include "platform/output_file.h"

#include "platform/file_descriptor.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/link_resolution.h"
#include "platform/posix/staged_file.h"
#include "platform/posix/termination_cleanup.h"
#include "platform/work_progress.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>

// A new content reaches the disk in a staged file that only takes the output's name when it is
// complete and measured, so a failure never costs the old file and never leaves a short one behind.
// Until it has that name the file is the running user's alone. Where taking the name would take the
// file from its owner, its other names or its attributes, the content is written into the file itself
// after its space is reserved.

namespace {

bool isDiskFullError(int error) {
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
}

SaveStatus statusOfError(int error) {
    return isDiskFullError(error) ? SaveStatus::DiskFull : SaveStatus::Failed;
}

// Writes the whole content from the start of the file, cuts what lies beyond it, flushes to the
// disk and compares the size that arrived with the size that was meant.
SaveStatus fill(int fd, std::string_view bytes) {
    if (const SystemResult written = writeAll(fd, bytes); !written) {
        return statusOfError(written.error());
    }
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0) {
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

// The metadata given after the content was flushed reaches the disk too, as does the new name.
SaveStatus syncNamed(int fd, const std::string& target) {
    if (::fsync(fd) != 0) {
        return SaveStatus::Failed;
    }
    syncDirectory(directoryOf(target));
    return SaveStatus::Saved;
}

bool beyondFileSizeLimit(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur;
}

// Space for size bytes, without changing the file's size where the file system can do that; else
// the library reserves it by writing, which grows the file. 0 or the error.
int reserve(int fd, std::size_t size) {
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) {
        return 0;
    }
    if (errno != EOPNOTSUPP) {
        return errno;
    }
    const int emulated = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    return emulated == EOPNOTSUPP ? 0 : emulated;
}

// The space is reserved before the first byte changes; when the reservation or the write fails the
// file gets its old length back, so a full disk leaves the old content as it was. Termination
// signals wait until the write is done.
SaveStatus writeInPlace(const std::string& target, std::string_view bytes) {
    const StopHeld wholeOrNothing; // stopped halfway, the old content would be lost
    const FileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat old {};
    if (!file.isOpen() || ::fstat(file.get(), &old) != 0 || !S_ISREG(old.st_mode)) {
        return SaveStatus::Failed;
    }
    if (beyondFileSizeLimit(bytes.size())) {
        return SaveStatus::DiskFull;
    }
    const TerminationDeferred deferred;
    const int reserved = reserve(file.get(), bytes.size());
    const SaveStatus status = reserved == 0 ? fill(file.get(), bytes) : statusOfError(reserved);
    if (status != SaveStatus::Saved && ::ftruncate(file.get(), old.st_size) != 0) {
        return SaveStatus::Failed;
    }
    return status;
}

// A new name in the directory, or a file with more names than this one, cannot take the file's place.
bool mustWriteInPlace(const std::string& target, const struct stat& old) {
    return old.st_nlink > 1 || ::access(directoryOf(target).c_str(), W_OK | X_OK) != 0;
}

bool refusedByDirectory(int error) {
    return error == EACCES || error == EPERM;
}

SaveStatus replaceFile(const std::string& target, std::string_view bytes, const struct stat& old) {
    KeptAttributes kept;
    if (mustWriteInPlace(target, old) || !kept.read(target, old)) {
        return writeInPlace(target, bytes);
    }
    StagedFile staged(directoryOf(target));
    if (const SystemResult opened = staged.opened(); !opened) {
        return refusedByDirectory(opened.error()) ? writeInPlace(target, bytes) : SaveStatus::Failed;
    }
    // Tried while the file is empty: what cannot be kept sends the content into the old file itself.
    if (!kept.giveTo(staged.fd())) {
        return writeInPlace(target, bytes);
    }
    if (!staged.makePrivate()) {
        return SaveStatus::Failed;
    }
    const SaveStatus status = fill(staged.fd(), bytes);
    if (status != SaveStatus::Saved) {
        return status;
    }
    if (const SystemResult renamed = staged.renameOver(target); !renamed) {
        // A sticky directory lets only a file's owner replace it.
        return refusedByDirectory(renamed.error()) ? writeInPlace(target, bytes) : SaveStatus::Failed;
    }
    // It worked on this very file a moment ago.
    return kept.giveTo(staged.fd()) ? syncNamed(staged.fd(), target) : SaveStatus::Failed;
}

// 0666 less the process's mask, as for any newly created file. The mask is read, not set and put
// back, so that a save on another thread never sees it changed.
mode_t newFileMode() {
    std::ifstream status("/proc/self/status");
    std::string field;
    while (status >> field) {
        if (field == "Umask:") {
            unsigned mask = 0;
            if (status >> std::oct >> mask) {
                return 0666 & ~static_cast<mode_t>(mask);
            }
            break;
        }
    }
    // Without the mask at hand, the owner's bits alone.
    return 0600;
}

SaveStatus createFile(const std::string& target, std::string_view bytes, ExistingFile existing) {
    StagedFile staged(directoryOf(target));
    if (!staged.opened()) {
        return SaveStatus::Failed;
    }
    const SaveStatus status = fill(staged.fd(), bytes);
    if (status != SaveStatus::Saved) {
        return status;
    }
    // Keeping a file that appeared meanwhile takes a name that no other file holds.
    const SystemResult named =
        existing == ExistingFile::Keep ? staged.linkAs(target) : staged.renameOver(target);
    if (!named) {
        return existing == ExistingFile::Keep && named.error() == EEXIST ? SaveStatus::Exists
                                                                         : SaveStatus::Failed;
    }
    return ::fchmod(staged.fd(), newFileMode()) == 0 ? syncNamed(staged.fd(), target) : SaveStatus::Failed;
}

} // namespace

void prepareProcessForSaving() {
    std::signal(SIGXFSZ, SIG_IGN);
    removeStagingFilesOnTermination();
}

bool isReadOnlyFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

SaveStatus saveWholeFile(const std::string& path, std::string_view bytes, ExistingFile existing) {
    // An empty content is never saved, as the size check would refuse it anyway; nothing is touched.
    if (bytes.empty()) {
        return SaveStatus::DiskFull;
    }
    const std::optional<std::string> target = followLinks(path);
    if (!target) {
        return SaveStatus::Failed;
    }
    struct stat old {};
    if (::stat(target->c_str(), &old) != 0) {
        return createFile(*target, bytes, existing);
    }
    if (!S_ISREG(old.st_mode) || isReadOnlyFile(*target)) {
        return SaveStatus::Failed;
    }
    if (existing == ExistingFile::Keep) {
        return SaveStatus::Exists;
    }
    return replaceFile(*target, bytes, old);
}

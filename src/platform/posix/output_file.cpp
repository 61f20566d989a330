#include "platform/output_file.h"

#include "platform/file_descriptor.h"
#include "platform/posix/file_attributes.h"
#include "platform/posix/file_system_abilities.h"
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
#include <cstdint>
#include <fstream>
#include <optional>

// A new content reaches the disk in a staged file that only takes the output's name when it is
// complete and measured, so a failure never costs the old file and never leaves a short one behind.
// Until it is complete the file is the running user's alone; then it takes what the old file was
// (owner, mode, attributes), and only then the name. Where taking the name would take the
// file from its owner, its other names or its attributes, the content is written into the file itself,
// with consent, once the space for it is sure.

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

bool beyondFileSizeLimit(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur;
}

bool freeSpaceCovers(int fd, std::uint64_t bytes) {
    const std::optional<std::uint64_t> free = fileSystem::freeSpace(fd);
    return !free || *free >= bytes;
}

// 0 once the file system is sure to take size bytes over the file old, else the error. On a
// copy-on-write file system every block written takes a new one before the old one is freed, so
// nothing short of free space for the whole content makes the write sure; elsewhere space is
// reserved without changing the file's size, or, where that is not supported, counted.
int makeRoom(int fd, const struct stat& old, std::size_t size) {
    if (fileSystem::copiesOnWrite(fd)) {
        return freeSpaceCovers(fd, size) ? 0 : ENOSPC;
    }
    const int reserved =
        fileSystem::simulates("no-space-reservation")
            ? EOPNOTSUPP
            : (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0 ? 0 : errno);
    if (reserved != EOPNOTSUPP && reserved != ENOSYS) {
        return reserved;
    }
    const std::uint64_t allocated = std::uint64_t{static_cast<std::uint64_t>(old.st_blocks)} * 512;
    return freeSpaceCovers(fd, size > allocated ? size - allocated : 0) ? 0 : ENOSPC;
}

// The room is made before the first byte changes; when that or the write fails the file gets its old
// length back, so a full disk leaves the old content as it was. Termination signals wait until the
// write is done.
SaveStatus writeInPlace(const std::string& target, std::string_view bytes, const InPlaceConsent& consent) {
    const FileDescriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat old {};
    if (!file.isOpen() || ::fstat(file.get(), &old) != 0 || !S_ISREG(old.st_mode)) {
        return SaveStatus::Failed;
    }
    if (beyondFileSizeLimit(bytes.size())) {
        return SaveStatus::DiskFull;
    }
    if (const int room = makeRoom(file.get(), old, bytes.size()); room != 0) {
        return statusOfError(room);
    }
    if (consent && !consent()) {
        return SaveStatus::Declined;
    }
    const StopHeld wholeOrNothing; // stopped halfway, the old content would be lost
    const TerminationDeferred deferred;
    const SaveStatus status = fill(file.get(), bytes);
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

// A staged file that will not be saved goes, or is emptied where its folder keeps its name.
SaveStatus abandon(StagedFile& staged, SaveStatus status) {
    return staged.discard() ? status : SaveStatus::EmptyStagingFileLeft;
}

// The staged file goes before the old one is overwritten; where it cannot, the old one is left as it is.
SaveStatus inPlaceInstead(StagedFile& staged, const std::string& target, std::string_view bytes,
                          const InPlaceConsent& consent) {
    return staged.discard() ? writeInPlace(target, bytes, consent) : SaveStatus::EmptyStagingFileLeft;
}

SaveStatus replaceFile(const std::string& target, std::string_view bytes, const struct stat& old,
                       const InPlaceConsent& consent) {
    KeptAttributes kept;
    if (mustWriteInPlace(target, old) || !kept.read(target, old)) {
        return writeInPlace(target, bytes, consent);
    }
    StagedFile staged(directoryOf(target));
    if (const SystemResult opened = staged.opened(); !opened) {
        return refusedByDirectory(opened.error()) ? writeInPlace(target, bytes, consent) : SaveStatus::Failed;
    }
    // Tried while the file is empty: what cannot be kept sends the content into the old file itself.
    if (!kept.giveTo(staged.fd())) {
        return inPlaceInstead(staged, target, bytes, consent);
    }
    if (!staged.makePrivate()) {
        return abandon(staged, SaveStatus::Failed);
    }
    SaveStatus status = fill(staged.fd(), bytes);
    // Complete, the file is what the old one was before it takes the name, so that no stop can leave
    // the new content with the staging file's owner and mode.
    if (status == SaveStatus::Saved && (!kept.giveTo(staged.fd()) || ::fsync(staged.fd()) != 0)) {
        status = SaveStatus::Failed;
    }
    if (status != SaveStatus::Saved) {
        return abandon(staged, status);
    }
    if (const SystemResult renamed = staged.renameOver(target); !renamed) {
        // A sticky directory lets only a file's owner replace it.
        return refusedByDirectory(renamed.error()) ? inPlaceInstead(staged, target, bytes, consent)
                                                   : abandon(staged, SaveStatus::Failed);
    }
    syncDirectory(directoryOf(target));
    return SaveStatus::Saved;
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
        return abandon(staged, status);
    }
    // Keeping a file that appeared meanwhile takes a name that no other file holds.
    const SystemResult named =
        existing == ExistingFile::Keep ? staged.linkAs(target) : staged.renameOver(target);
    if (!named) {
        return abandon(staged, existing == ExistingFile::Keep && named.error() == EEXIST
                                   ? SaveStatus::Exists
                                   : SaveStatus::Failed);
    }
    // The default mode comes only with the name: a file that is not saved after all (another took
    // the name first, and the person may decline to replace it) was never readable by others. A kill
    // in between leaves the output the user's alone.
    if (::fchmod(staged.fd(), newFileMode()) != 0 || ::fsync(staged.fd()) != 0) {
        return SaveStatus::Failed;
    }
    syncDirectory(directoryOf(target));
    return SaveStatus::Saved;
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

SaveStatus saveWholeFile(const std::string& path, std::string_view bytes, ExistingFile existing,
                         const InPlaceConsent& consent) {
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
    return replaceFile(*target, bytes, old, consent);
}

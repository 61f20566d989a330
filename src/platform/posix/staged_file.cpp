#include "platform/posix/staged_file.h"

#include "platform/posix/file_system_abilities.h"
#include "platform/posix/staging_record.h"
#include "platform/staging_name.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

constexpr mode_t ownerOnly = S_IRUSR | S_IWUSR;
constexpr int nameAttempts = 100;

std::string stagingNameIn(const std::string& directory) {
    return directory + platform::stagingFileName(static_cast<std::uint64_t>(::getpid()));
}

std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

bool namedStagingForced() {
    return fileSystem::simulates("no-unnamed-files") || fileSystem::simulates("no-hard-links");
}

SystemResult hardLink(const char* from, const char* to, int flags) {
    return fileSystem::simulates("no-hard-links")
               ? SystemResult::failed(EPERM)
               : SystemResult::ofCall(::linkat(AT_FDCWD, from, AT_FDCWD, to, flags));
}

// A file system without hard links (FAT, exFAT) says so in one of these ways.
bool linksRefused(int error) {
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS;
}

SystemResult renameWithoutReplacing(const char* from, const char* to) {
    return fileSystem::simulates("no-exclusive-rename")
               ? SystemResult::failed(EINVAL)
               : SystemResult::ofCall(::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
}

} // namespace

StagedFile::StagedFile(std::string directory) : directory_(std::move(directory)) {
    if (namedStagingForced() || !openUnnamed()) {
        openNamed();
    }
    if (!file_.isOpen()) {
        return;
    }
    ::fstat(fd(), &created_);
    // Held while the file lives, so that no later save takes it for an abandoned one.
    ::flock(fd(), LOCK_EX | LOCK_NB);
}

StagedFile::~StagedFile() {
    if (!name_.empty()) {
        ::unlink(name_.c_str());
    }
}

bool StagedFile::openUnnamed() {
    // An unnamed file can only be given a name through /proc.
    if (::access("/proc/self/fd", X_OK) != 0) {
        return false;
    }
    file_ = FileDescriptor(::open(directory_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, ownerOnly));
    if (file_.isOpen()) {
        return true;
    }
    openError_ = errno;
    // A file system without unnamed files says so in one of several ways; any other error is final.
    return !(openError_ == EOPNOTSUPP || openError_ == EISDIR || openError_ == EINVAL);
}

bool StagedFile::openNamed() {
    // Listed before the file exists, so that the next start finds what a kill leaves.
    stagingRecord::add(directory_);
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const std::string name = stagingNameIn(directory_);
        // Held before the file exists, so no signal can leave it behind.
        if (const SystemResult held = pending_.hold(name); !held) {
            openError_ = held.error();
            return false;
        }
        file_ = FileDescriptor(
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnly));
        if (file_.isOpen()) {
            name_ = name;
            return true;
        }
        openError_ = errno;
        pending_.release();
        if (openError_ != EEXIST) {
            return false;
        }
    }
    return false;
}

void StagedFile::forgetName() {
    name_.clear();
    pending_.release();
}

bool StagedFile::makePrivate() {
    if (::fremovexattr(fd(), "system.posix_acl_access") != 0 && errno != ENODATA && errno != ENOTSUP) {
        return false;
    }
    return ::fchown(fd(), created_.st_uid, created_.st_gid) == 0 && ::fchmod(fd(), ownerOnly) == 0;
}

SystemResult StagedFile::linkAs(const std::string& target) {
    // Deferred like every commit, so that a save-record hold can keep the signals waiting after it.
    const TerminationDeferred deferred;
    if (name_.empty()) {
        return hardLink(descriptorPath(fd()).c_str(), target.c_str(), AT_SYMLINK_FOLLOW);
    }
    const SystemResult linked = hardLink(name_.c_str(), target.c_str(), 0);
    if (linked) {
        ::unlink(name_.c_str());
        forgetName();
        return linked;
    }
    return linksRefused(linked.error()) ? moveWithoutReplacing(target) : linked;
}

// Where a file system has no hard links, the hidden name moves to target unless a file has it.
SystemResult StagedFile::moveWithoutReplacing(const std::string& target) {
    SystemResult moved = renameWithoutReplacing(name_.c_str(), target.c_str());
    if (!moved && (moved.error() == EINVAL || moved.error() == ENOSYS)) {
        // Without that either, an empty file of this process's own takes the name first; a stop
        // in between leaves it empty.
        const FileDescriptor placeholder(
            ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, ownerOnly));
        if (!placeholder.isOpen()) {
            return SystemResult::failed(errno);
        }
        moved = SystemResult::ofCall(::rename(name_.c_str(), target.c_str()));
        if (!moved) {
            ::unlink(target.c_str());
        }
    }
    if (moved) {
        forgetName();
    }
    return moved;
}

bool StagedFile::discard() {
    if (name_.empty() || ::unlink(name_.c_str()) == 0 || errno == ENOENT) {
        forgetName();
        return true;
    }
    if (::ftruncate(fd(), 0) == 0) {
        ::fsync(fd());
    }
    forgetName();
    return false;
}

SystemResult StagedFile::renameOver(const std::string& target) {
    const TerminationDeferred deferred;
    // rename(2) is the only call that replaces a name, so an unnamed file takes a hidden one first,
    // while it is still the running user's alone or already what the old file was. Nothing but
    // SIGKILL or a power loss can end the process in between, and what that leaves is removed later.
    if (name_.empty()) {
        if (const SystemResult named = takeHiddenName(); !named) {
            return named;
        }
    }
    const SystemResult renamed = SystemResult::ofCall(::rename(name_.c_str(), target.c_str()));
    if (renamed) {
        forgetName();
    }
    return renamed;
}

SystemResult StagedFile::takeHiddenName() {
    stagingRecord::add(directory_);
    const std::string source = descriptorPath(fd());
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const std::string hidden = stagingNameIn(directory_);
        if (const SystemResult held = pending_.hold(hidden); !held) {
            return held;
        }
        const SystemResult linked = hardLink(source.c_str(), hidden.c_str(), AT_SYMLINK_FOLLOW);
        if (linked) {
            name_ = hidden;
            return linked;
        }
        pending_.release();
        if (linked.error() != EEXIST) {
            return linked;
        }
    }
    return SystemResult::failed(EEXIST);
}

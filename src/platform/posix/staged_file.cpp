#include "platform/posix/staged_file.h"

#include "platform/staging_name.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
    const char* forced = std::getenv("QUILLBOX_NAMED_STAGING");
    return forced != nullptr && *forced != '\0';
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
        return SystemResult::ofCall(
            ::linkat(AT_FDCWD, descriptorPath(fd()).c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW));
    }
    const SystemResult linked = SystemResult::ofCall(::link(name_.c_str(), target.c_str()));
    if (linked) {
        ::unlink(name_.c_str());
        forgetName();
    }
    return linked;
}

SystemResult StagedFile::renameOver(const std::string& target) {
    if (!name_.empty()) {
        const TerminationDeferred deferred;
        const SystemResult renamed = SystemResult::ofCall(::rename(name_.c_str(), target.c_str()));
        if (renamed) {
            forgetName();
        }
        return renamed;
    }
    // rename(2) is the only call that replaces a name, so the file passes through a hidden name, while
    // it is still the running user's alone. Nothing but SIGKILL or a power loss can end the process in
    // between, and a later save removes what that leaves.
    const std::string source = descriptorPath(fd());
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const std::string hidden = stagingNameIn(directory_);
        if (const SystemResult held = pending_.hold(hidden); !held) {
            return held;
        }
        const TerminationDeferred deferred;
        const SystemResult linked = SystemResult::ofCall(
            ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW));
        if (!linked) {
            pending_.release();
            if (linked.error() == EEXIST) {
                continue;
            }
            return linked;
        }
        const SystemResult renamed = SystemResult::ofCall(::rename(hidden.c_str(), target.c_str()));
        if (!renamed) {
            ::unlink(hidden.c_str());
        }
        pending_.release();
        return renamed;
    }
    return SystemResult::failed(EEXIST);
}

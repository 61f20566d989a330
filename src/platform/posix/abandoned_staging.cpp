#include "platform/file_descriptor.h"
#include "platform/output_file.h"
#include "platform/posix/link_resolution.h"
#include "platform/posix/staging_record.h"
#include "platform/staging_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <memory>

namespace {

bool hasEnded(std::uint64_t process) {
    if (process <= 1 || process > INT_MAX || process == static_cast<std::uint64_t>(::getpid())) {
        return false;
    }
    return ::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH;
}

// A file of this user that no process holds: a live writer keeps a lock on its staging file, which
// also guards the files of a process of the same number on another machine sharing the directory.
bool removeIfAbandoned(int directory, const char* name) {
    const FileDescriptor file(
        ::openat(directory, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid()) {
        return false;
    }
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return false;
    }
    return ::unlinkat(directory, name, 0) == 0;
}

struct DirectoryClose {
    void operator()(DIR* directory) const { ::closedir(directory); }
};

struct Sweep {
    int removed = 0;
    bool stagingLeft = false; // staging files of living processes, or that could not be removed
};

Sweep sweep(const std::string& directoryPath) {
    Sweep result;
    const std::unique_ptr<DIR, DirectoryClose> directory(::opendir(directoryPath.c_str()));
    if (!directory) {
        return result;
    }
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::optional<std::uint64_t> process = platform::stagingProcessOf(entry->d_name);
        if (process && hasEnded(*process) && removeIfAbandoned(::dirfd(directory.get()), entry->d_name)) {
            ++result.removed;
        } else if (process) {
            result.stagingLeft = true;
        }
    }
    return result;
}

} // namespace

int removeAbandonedStagingFiles(const std::string& path) {
    const std::optional<std::string> target = followLinks(path);
    return target ? sweep(directoryOf(*target)).removed : 0;
}

std::vector<std::pair<std::string, int>>
removeAbandonedStagingFilesRecordedIn(const std::string& recordPath) {
    stagingRecord::keepIn(recordPath);
    std::vector<std::pair<std::string, int>> removed;
    for (const std::string& folder : stagingRecord::take()) {
        const Sweep swept = sweep(folder);
        if (swept.removed > 0) {
            removed.emplace_back(folder, swept.removed);
        }
        if (swept.stagingLeft) {
            stagingRecord::add(folder);
        }
    }
    return removed;
}

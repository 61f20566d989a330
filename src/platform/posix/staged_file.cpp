#include "platform/posix/staged_file.h"

#include "platform/posix/ending_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <random>
#include <utility>

namespace {

// The hidden name of the one named file being written, kept where a signal handler may read it.
char pendingName[PATH_MAX + 1];
volatile sig_atomic_t namePending = 0;
std::array<struct sigaction, endingSignals.size()> previousActions;

extern "C" void removePendingAndEnd(int signalNumber) {
    if (namePending != 0) {
        ::unlink(pendingName);
        namePending = 0;
    }
    // The signal goes on to what would have happened without this handler.
    ::sigaction(signalNumber, &previousActions[endingSignalIndex(signalNumber)], nullptr);
    ::raise(signalNumber);
}

bool registerPending(const std::string& name) {
    if (name.size() > PATH_MAX) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(pendingName, name.c_str(), name.size() + 1);
    namePending = 1;
    struct sigaction removing {};
    removing.sa_handler = removePendingAndEnd;
    sigemptyset(&removing.sa_mask);
    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        ::sigaction(endingSignals[i], &removing, &previousActions[i]);
    }
    return true;
}

void unregisterPending() {
    namePending = 0;
    for (std::size_t i = 0; i < endingSignals.size(); ++i) {
        ::sigaction(endingSignals[i], &previousActions[i], nullptr);
    }
}

std::string hiddenNameIn(const std::string& directory) {
    static std::mt19937_64 generator{std::random_device{}()};
    // A short fixed stem, so that an output whose name is near the length limit can still be saved.
    return directory + ".quillbox-" + std::to_string(generator() % 1000000000ULL) + ".tmp";
}

std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

} // namespace

StagedFile::StagedFile(std::string directory, mode_t mode) : directory_(std::move(directory)) {
    if (!openUnnamed(mode)) {
        openNamed(mode);
    }
}

StagedFile::~StagedFile() {
    if (isNamed()) {
        ::unlink(name_.c_str());
        forgetName();
    }
}

bool StagedFile::openUnnamed(mode_t mode) {
    // An unnamed file can only be given a name through /proc.
    if (::access("/proc/self/fd", X_OK) != 0) {
        return false;
    }
    file_ = FileDescriptor(::open(directory_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
    // A file system without unnamed files says so in one of several ways; any other error is final.
    return file_.isOpen() || !(errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL);
}

bool StagedFile::openNamed(mode_t mode) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = hiddenNameIn(directory_);
        // Registered before it exists, so no signal can leave it behind.
        if (!registerPending(name)) {
            return false;
        }
        file_ = FileDescriptor(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (file_.isOpen()) {
            name_ = name;
            return true;
        }
        const int error = errno;
        unregisterPending();
        errno = error;
        if (error != EEXIST) {
            return false;
        }
    }
    return false;
}

void StagedFile::forgetName() {
    name_.clear();
    unregisterPending();
}

bool StagedFile::linkAs(const std::string& target) {
    if (isNamed()) {
        // Termination signals wait while a file takes its final name, so that none leaves a
        // half-named file.
        const EndingSignalsHeld held;
        if (::link(name_.c_str(), target.c_str()) != 0) {
            return false;
        }
        ::unlink(name_.c_str());
        forgetName();
        return true;
    }
    return ::linkat(AT_FDCWD, descriptorPath(fd()).c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool StagedFile::renameOver(const std::string& target) {
    const EndingSignalsHeld held;
    if (isNamed()) {
        if (::rename(name_.c_str(), target.c_str()) != 0) {
            return false;
        }
        forgetName();
        return true;
    }
    // rename(2) is the only call that replaces a name, so the file passes through a hidden name; with
    // the termination signals held nothing but SIGKILL can end the process in between.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string hidden = hiddenNameIn(directory_);
        if (!linkAs(hidden)) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        if (::rename(hidden.c_str(), target.c_str()) == 0) {
            return true;
        }
        const int error = errno;
        ::unlink(hidden.c_str());
        errno = error;
        return false;
    }
    return false;
}

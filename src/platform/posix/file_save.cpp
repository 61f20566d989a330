#include "platform/file_save.h"

#include "platform/file_descriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>

// The bytes go to a fresh file beside the target, reach the disk, are measured, and only then
// replace the target by rename(2): a failed write never costs the old file and never leaves a
// short one behind.

namespace platform {

namespace {

enum class WriteStatus { Written, DiskFull, Failed };

bool isDiskFullError(int error) {
    return error == ENOSPC || error == EFBIG || error == EDQUOT;
}

WriteStatus statusOfError() {
    return isDiskFullError(errno) ? WriteStatus::DiskFull : WriteStatus::Failed;
}

// Writes, flushes to the disk and compares the size that arrived with the size that was meant.
WriteStatus fillFile(int fd, std::string_view bytes) {
    WriteStatus status = writeAll(fd, bytes) ? WriteStatus::Written : statusOfError();
    if (status == WriteStatus::Written && ::fsync(fd) != 0) {
        status = statusOfError();
    }
    if (status == WriteStatus::Failed) {
        return status;
    }
    struct stat written {};
    if (::fstat(fd, &written) != 0) {
        return WriteStatus::Failed;
    }
    const auto size = static_cast<std::size_t>(written.st_size);
    if (size == 0 || size < bytes.size()) {
        return WriteStatus::DiskFull;
    }
    return status;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Creates a new file next to target that nobody else has opened; its path goes to tempPath.
int createTemporaryBeside(const std::string& target, mode_t mode, std::string& tempPath) {
    static std::mt19937_64 generator{std::random_device{}()};
    // A short fixed stem, so that an output whose name is near the length limit can still be saved.
    const std::string stem = directoryOf(target) + ".quillbox-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = stem + std::to_string(generator() % 1000000000ULL) + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// A file replaced through rename(2) keeps its place in the directory tree only if it is the real
// file, so a symbolic link is followed to its target first.
std::string resolveTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return path;
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string target(resolved);
    ::free(resolved);
    return target;
}

void syncDirectory(const std::string& directory) {
    FileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
}

} // namespace

bool isReadOnlyFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return false;
    }
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

SaveStatus saveWholeFile(const std::string& path, std::string_view bytes) {
    const std::string target = resolveTarget(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing && (!S_ISREG(old.st_mode) || isReadOnlyFile(target))) {
        return SaveStatus::Failed;
    }
    // A new file gets 0666 less the umask, as any newly created file; a replaced one keeps its bits.
    std::string tempPath;
    WriteStatus status = WriteStatus::Written;
    FileDescriptor file(createTemporaryBeside(target, replacing ? S_IRUSR | S_IWUSR : 0666, tempPath));
    if (file.get() < 0) {
        return SaveStatus::Failed;
    }
    if (replacing) {
        // Only root may hand the file to its old owner; anyone else keeps it as their own, which is
        // why a failure here is no failure of the save. The mode comes after, as chown clears set-id bits.
        if (::fchown(file.get(), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
            status = WriteStatus::Failed;
        }
        ::fchmod(file.get(), old.st_mode & 07777);
    }
    if (status == WriteStatus::Written) {
        status = fillFile(file.get(), bytes);
    }
    if (!file.close() && status == WriteStatus::Written) {
        status = WriteStatus::Failed;
    }
    if (status == WriteStatus::Written && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        status = WriteStatus::Failed;
    }
    if (status != WriteStatus::Written) {
        ::unlink(tempPath.c_str());
        return status == WriteStatus::DiskFull ? SaveStatus::DiskFull : SaveStatus::Failed;
    }
    syncDirectory(directoryOf(target));
    return SaveStatus::Saved;
}

} // namespace platform

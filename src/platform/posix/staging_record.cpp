#include "platform/posix/staging_record.h"

#include "platform/directory_lock.h"
#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/posix/link_resolution.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <sstream>

namespace stagingRecord {

namespace {

std::mutex pathGuard;
std::string recordPath;

std::string currentPath() {
    const std::lock_guard<std::mutex> guard(pathGuard);
    return recordPath;
}

std::vector<std::string> foldersIn(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    std::vector<std::string> folders;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            folders.push_back(line);
        }
    }
    return folders;
}

// The list, open and locked against the other processes of the program; closed, it is released.
struct OpenRecord {
    OpenRecord(const std::string& path, int creation)
        : lock(directoryOf(path)),
          file(::open(path.c_str(), O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC | creation, 0600)) {}
    platform::DirectoryLock lock;
    FileDescriptor file;
};

} // namespace

void keepIn(const std::string& path) {
    const std::lock_guard<std::mutex> guard(pathGuard);
    recordPath = path;
}

void add(const std::string& directory) {
    const std::string path = currentPath();
    if (path.empty() || directory.find('\n') != std::string::npos) {
        return;
    }
    const OpenRecord record(path, O_CREAT);
    if (!record.file.isOpen()) {
        return;
    }
    const std::vector<std::string> folders = foldersIn(record.file.get());
    if (std::find(folders.begin(), folders.end(), directory) == folders.end()) {
        const std::string line = directory + "\n";
        platform::writeSome(record.file.get(), line.data(), line.size());
    }
}

std::vector<std::string> take() {
    const std::string path = currentPath();
    if (path.empty()) {
        return {};
    }
    // Made only by the first named staging file, so a folder where none was named stays as it was.
    const OpenRecord record(path, 0);
    if (!record.file.isOpen()) {
        return {};
    }
    std::vector<std::string> folders = foldersIn(record.file.get());
    platform::truncateFile(record.file.get(), 0);
    return folders;
}

} // namespace stagingRecord

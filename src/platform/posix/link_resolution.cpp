#include "platform/posix/link_resolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace {

constexpr int maxLinkHops = 40;

// A link planted by someone else in a directory like /tmp could lead the save into anyone's files.
bool mayFollow(const struct stat& link, const std::string& linkPath) {
    struct stat directory {};
    if (::stat(directoryOf(linkPath).c_str(), &directory) != 0) {
        return false;
    }
    const bool stickyAndOpenToAll = (directory.st_mode & S_ISVTX) != 0 && (directory.st_mode & S_IWOTH) != 0;
    return !stickyAndOpenToAll || link.st_uid == ::geteuid() || link.st_uid == directory.st_uid;
}

} // namespace

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::optional<std::string> followLinks(std::string path) {
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return path;
        }
        if (!mayFollow(link, path)) {
            return std::nullopt;
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

#include "platform/posix/link_resolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>

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

// The components of path, in order, without empty ones and ".".
std::vector<std::string> componentsOf(const std::string& path) {
    std::vector<std::string> components;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        if (end > at && path.compare(at, end - at, ".") != 0) {
            components.push_back(path.substr(at, end - at));
        }
        at = end + 1;
    }
    return components;
}

std::string absolute(const std::string& path) {
    if (path.starts_with('/')) {
        return path;
    }
    std::string here(PATH_MAX, '\0');
    return ::getcwd(here.data(), here.size()) != nullptr ? std::string(here.c_str()) + "/" + path : path;
}

} // namespace

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::optional<std::string> followLinks(std::string path) {
    // Every directory on the way is judged as the file itself is: a link planted in a shared folder
    // leads nowhere, whichever part of the path it stands for.
    const std::string whole = absolute(path);
    std::vector<std::string> left = componentsOf(whole);
    std::reverse(left.begin(), left.end());
    // A working directory too deep to be named is where a relative path starts, as "."; the names built
    // from it stay relative, and short enough to use, until a link leads to "/".
    std::string resolved = whole.starts_with('/') ? "" : ".";
    int hops = 0;
    while (!left.empty()) {
        const std::string component = std::move(left.back());
        left.pop_back();
        if (component == "..") {
            const std::size_t slash = resolved.rfind('/');
            const bool upFromHere =
                resolved.starts_with('.') &&
                (slash == std::string::npos || resolved.compare(slash + 1, std::string::npos, "..") == 0);
            if (upFromHere) {
                resolved += "/..";
            } else {
                resolved.erase(slash == std::string::npos ? 0 : slash);
            }
            continue;
        }
        const std::string next = resolved + "/" + component;
        struct stat link {};
        if (::lstat(next.c_str(), &link) != 0 || !S_ISLNK(link.st_mode) || hops == maxLinkHops) {
            resolved = next;
            continue;
        }
        if (!mayFollow(link, next)) {
            return std::nullopt;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(next.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
            resolved = next;
            continue;
        }
        target.resize(static_cast<std::size_t>(length));
        ++hops;
        if (target.front() == '/') {
            resolved.clear();
        }
        const std::vector<std::string> through = componentsOf(target);
        left.insert(left.end(), through.rbegin(), through.rend());
    }
    return resolved.empty() ? std::string("/") : resolved;
}

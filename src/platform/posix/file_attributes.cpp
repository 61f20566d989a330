#include "platform/posix/file_attributes.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The value of one extended attribute, or false when it cannot be read whole.
bool readAttribute(const std::string& path, const char* name, std::string& value) {
    const ssize_t size = ::getxattr(path.c_str(), name, nullptr, 0);
    if (size < 0) {
        return false;
    }
    value.assign(static_cast<std::size_t>(size), '\0');
    return ::getxattr(path.c_str(), name, value.data(), value.size()) == size;
}

} // namespace

bool KeptAttributes::read(const std::string& path, const struct stat& old) {
    old_ = old;
    extended_.clear();
    const ssize_t size = ::listxattr(path.c_str(), nullptr, 0);
    if (size <= 0) {
        // A file system without extended attributes has none to keep.
        return size == 0 || errno == ENOTSUP;
    }
    std::string names(static_cast<std::size_t>(size), '\0');
    if (::listxattr(path.c_str(), names.data(), names.size()) != size) {
        return false;
    }
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
        std::string value;
        if (!readAttribute(path, names.c_str() + at, value)) {
            return false;
        }
        extended_.emplace_back(names.c_str() + at, std::move(value));
    }
    return true;
}

bool KeptAttributes::giveTo(int fd) const {
    // The mode comes after the owner, as a change of owner clears the set-id bits; the attributes
    // last, as an access list sets the mode's group bits.
    if (::fchown(fd, old_.st_uid, old_.st_gid) != 0 || ::fchmod(fd, old_.st_mode & 07777) != 0) {
        return false;
    }
    for (const auto& [name, value] : extended_) {
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) {
            return false;
        }
    }
    return true;
}

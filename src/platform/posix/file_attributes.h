#pragma once
// Handing a replacement file everything but the content of the file it replaces.
#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

// The owner, group, mode and extended attributes (ACLs included) of a file, read while it still has
// its name, so that they can be given to its replacement after the replacement has taken the name.
class KeptAttributes {
public:
    // Reads them from the file at path, whose status is old. False when they cannot be read whole.
    bool read(const std::string& path, const struct stat& old);
    // Gives them to the open file fd. False when any of them cannot be kept.
    bool giveTo(int fd) const;

private:
    struct stat old_ {};
    std::vector<std::pair<std::string, std::string>> extended_;
};

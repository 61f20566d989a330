#pragma once
// Whether a path can be read, written or found, as the calling user is allowed to.
#include <string>

namespace platform {

bool isReadable(const std::string& path);
bool isWritable(const std::string& path);
bool exists(const std::string& path);
// Whether a new file can be made in directory, found by making one and removing it again: the
// permission bits and the read-only attribute miss access lists, read-only mounts and quotas.
bool canCreateFileIn(const std::string& directory);

} // namespace platform

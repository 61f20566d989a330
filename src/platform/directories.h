#pragma once
// Paths made absolute and directories made, with names in any script.
#include <string>

namespace platform {

// path made absolute against the working directory, "." and ".." resolved by name. Where that fails,
// or (POSIX) gives a name too long to open under a deep working directory: path itself, on POSIX a
// relative one led by "./" so that it names its directory.
std::string absolutePath(const std::string& path);
// Makes the directory and any missing parents; false when it does not exist afterwards.
bool createDirectories(const std::string& path);

} // namespace platform

#pragma once
// Paths made absolute and directories made, with names in any script.
#include <string>

namespace platform {

// path made absolute against the working directory, "." and ".." resolved by name; path itself when
// that fails.
std::string absolutePath(const std::string& path);
// Makes the directory and any missing parents; false when it does not exist afterwards.
bool createDirectories(const std::string& path);

} // namespace platform

#pragma once
// Whether a path can be read, written or found, as the calling user is allowed to.
#include <string>

namespace platform {

bool isReadable(const std::string& path);
bool isWritable(const std::string& path);
bool exists(const std::string& path);

} // namespace platform

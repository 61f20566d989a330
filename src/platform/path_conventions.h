#pragma once
// How this system writes paths.
#include <string>

namespace platform {

// '/' on POSIX systems, '\\' on Windows.
char directorySeparator();
// The top of the file system as a path box shows it: "/" or "C:\".
std::string rootPath();

} // namespace platform

#pragma once
// How this system writes paths and text files.
#include <string>

namespace platform {

// '/' on POSIX systems, '\\' on Windows.
char directorySeparator();
// Where the last directory ends in path: the last '/' (on Windows also '\\'), or npos.
std::size_t lastSeparator(const std::string& path);
// The top of the file system as a path box shows it: "/" or "C:\".
std::string rootPath();
// What ends a line in a text file: "\n", or "\r\n" on Windows.
const char* textLineEnd();

} // namespace platform

#pragma once
// Where a path that may be a symbolic link leads, following links as the kernel would.
#include <optional>
#include <string>

// The directory part of path, ending in '/' ("./" for a bare name).
std::string directoryOf(const std::string& path);

// The absolute path, free of links, of the file that path leads to, whether or not it exists (relative to
// the working directory, led by ".", when that directory is too deep to be named). Empty when
// a link on the way (the file's or any directory's) lies in a sticky directory that everyone may write
// and is owned by neither the running user nor the directory's owner: the kernel's protected-symlink
// rule, applied by hand because the program reads the links itself, and whatever the system's setting.
std::optional<std::string> followLinks(std::string path);

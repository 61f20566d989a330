#pragma once
// What a path names, for the command line, which reads pipes and writes to devices as streams, and
// whether two paths name one file, so that a save never replaces the document it reads.
#include <string>

namespace platform {

enum class FileKind { Missing, Regular, Directory, Pipe, CharacterDevice, Other };

// The kind of what path names, after links.
FileKind fileKind(const std::string& path);

// Whether both paths name one existing file, after links: the same file, not only the same name.
bool sameFile(const std::string& first, const std::string& second);

// Opens an existing character device for writing (never creates a file); -1 when path names
// anything else or cannot be opened.
int openDeviceForWriting(const std::string& path);

} // namespace platform

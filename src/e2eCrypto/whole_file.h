#pragma once
// Whole-file binary reading. Files are opened and closed within one call.
#include <string>

// Empties content, then fills it with the file's bytes. A file that is unreadable or has no bytes
// gives false; a file that shrinks while it is read leaves its missing tail as zero bytes.
// Only regular files are read (a directory or FIFO is unreadable), and so is a file too large for memory.
bool ReadWholeFile(const std::string& path, std::string& content);

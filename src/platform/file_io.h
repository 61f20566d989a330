#pragma once
// Files held by a number (a descriptor), read and written in pieces of any size.
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// Opens path for reading when it is a regular file; a FIFO or device under that name is neither
// waited on nor opened. -1 otherwise.
int openRegularFile(const std::string& path);
// Opens path for reading whatever it is: a file, a pipe, a terminal or the standard input's name.
// -1 on failure (errno says why).
int openForReading(const std::string& path);
// Opens path for appending, creating it (read-write for everyone the process's mask allows). A link is
// followed as a save follows it. -1 on failure.
int openForAppend(const std::string& path);
// The size of an open file, or -1.
std::int64_t fileSize(int fd);
// Reads up to size bytes, resuming after interruptions: the count read, 0 at the end, -1 on failure.
std::int64_t readSome(int fd, char* buffer, std::size_t size);
// Moves the reading back to the first byte; false when it cannot.
bool rewindFile(int fd);
// Writes up to size bytes, resuming after interruptions: the count written, -1 on failure (errno says why).
std::int64_t writeSome(int fd, const char* bytes, std::size_t size);
// Cuts or extends the open file to size bytes; false when it cannot.
bool truncateFile(int fd, std::int64_t size);
bool closeFile(int fd);
// A binary read stream over fd, which it then owns; nullptr on failure (fd stays open then).
std::FILE* readStreamOf(int fd);

} // namespace platform

#pragma once
// A document read as a stream: standard input (the command line's INPUT "-"), or a pipe named as an
// input (a FIFO, or what a process substitution gives).
#include <cstdint>
#include <string>

// Larger input is refused rather than filling memory from a pipe.
inline constexpr std::uint64_t standardInputLimit = std::uint64_t{4} << 30;

// Whether path is read as a stream: "-" or a pipe.
bool isStreamInput(const std::string& path);

// Reads the stream to its end into content; false when it cannot be read, is empty, or holds more
// than standardInputLimit bytes (or more than memory holds).
bool readStreamInput(const std::string& path, std::string& content);

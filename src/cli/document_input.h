#pragma once
// A document read from standard input (the command line's INPUT "-").
#include <cstdint>
#include <string>

// Larger input is refused rather than filling memory from a pipe.
inline constexpr std::uint64_t standardInputLimit = std::uint64_t{4} << 30;

// Reads standard input to its end into content; false when it cannot be read, is empty, or holds
// more than standardInputLimit bytes (or more than memory holds).
bool readStandardInput(std::string& content);

#pragma once
// The hidden names of staging files, the same on every system: ".quillbox-<process id>-<random>.tmp"
// beside the output, so that a later save can tell the files that ended processes left behind.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A fresh name for a staging file of process.
std::string stagingFileName(std::uint64_t process);
// The process whose staging file name is, or nothing for any other name.
std::optional<std::uint64_t> stagingProcessOf(std::string_view name);

} // namespace platform

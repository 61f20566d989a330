#pragma once
// Saving a whole file so that a failure never costs the old file and never leaves a short one.
#include <string>
#include <string_view>

namespace platform {

enum class SaveStatus { Saved, DiskFull, Failed };

// The bytes go to a fresh file beside path, reach the disk, are measured, and only then take path's
// place. An existing file that is no regular file or is read-only is not replaced.
SaveStatus saveWholeFile(const std::string& path, std::string_view bytes);
// True when path exists and may not be written by this user.
bool isReadOnlyFile(const std::string& path);

} // namespace platform

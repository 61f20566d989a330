#pragma once
// What the file system under a save can do, where the save cannot simply try. Tests run every road a
// save can take on any file system: QUILLBOX_FILE_SYSTEM in the environment names, separated by
// spaces, what the file system under every save lacks or is:
//   no-unnamed-files      open(O_TMPFILE) is refused
//   no-hard-links         link() is refused (as with it, an unnamed file could never be named)
//   no-exclusive-rename   renameat2(RENAME_NOREPLACE) is refused
//   no-space-reservation  fallocate() is refused
//   copy-on-write         every block written in place takes a new one
//   free=BYTES            no more than BYTES are free
#include <cstdint>
#include <optional>
#include <string_view>

namespace fileSystem {

// True when the environment names this lack or nature.
bool simulates(std::string_view word);
// Overwriting a block of the open file fd takes a new block before the old one is freed.
bool copiesOnWrite(int fd);
// The bytes an unprivileged write to the file system of fd may still take, or nothing when unknown.
std::optional<std::uint64_t> freeSpace(int fd);

} // namespace fileSystem

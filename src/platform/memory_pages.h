#pragma once
// Hints to the system about memory a buffer holds.
#include <cstddef>

namespace platform {

std::size_t pageSize();
// The whole pages in [begin, begin + length) are handed back; they read as zero bytes if used again.
// Systems that cannot do so safely for heap memory keep them.
void releasePages(void* begin, std::size_t length);
// Asks for the whole 2 MiB pages in [begin, begin + length) to be backed by large pages when first touched.
void preferLargePages(void* begin, std::size_t length);

} // namespace platform

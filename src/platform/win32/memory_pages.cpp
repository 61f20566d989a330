#include "platform/memory_pages.h"

#include <windows.h>

namespace platform {

std::size_t pageSize() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return system.dwPageSize;
}

// Heap memory cannot be decommitted page by page, and MEM_RESET would leave the pages undefined
// rather than zero: the pages stay with the buffer.
void releasePages(void*, std::size_t) {}

// Large pages need a privilege ordinary users lack and an allocation made for them.
void preferLargePages(void*, std::size_t) {}

} // namespace platform

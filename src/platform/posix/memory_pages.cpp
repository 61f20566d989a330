#include "platform/memory_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

namespace {

// The whole pages of size pageBytes inside [begin, begin + length), as start and length.
bool wholePages(void* begin, std::size_t length, std::uintptr_t pageBytes, void*& first, std::size_t& span) {
    const auto start = reinterpret_cast<std::uintptr_t>(begin);
    const std::uintptr_t from = (start + pageBytes - 1) & ~(pageBytes - 1);
    const std::uintptr_t to = (start + length) & ~(pageBytes - 1);
    if (to <= from) {
        return false;
    }
    first = reinterpret_cast<void*>(from);
    span = to - from;
    return true;
}

} // namespace

std::size_t pageSize() {
    return static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

void releasePages(void* begin, std::size_t length) {
    void* first = nullptr;
    std::size_t span = 0;
    if (wholePages(begin, length, pageSize(), first, span)) {
        ::madvise(first, span, MADV_DONTNEED);
    }
}

void preferLargePages(void* begin, std::size_t length) {
    constexpr std::uintptr_t largePage = std::uintptr_t{2} << 20;
    void* first = nullptr;
    std::size_t span = 0;
    // Below two large pages the one aligned page inside rarely pays for the advice.
    if (length >= 2 * largePage && wholePages(begin, length, largePage, first, span)) {
        ::madvise(first, span, MADV_HUGEPAGE);
    }
}

} // namespace platform

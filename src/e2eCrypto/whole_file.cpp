#include "e2eCrypto/whole_file.h"

#include "platform/file_descriptor.h"

#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/memory_pages.h"

#include <new>

bool ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    if (!platform::isReadable(path)) {
        return false;
    }
    const FileDescriptor file(platform::openRegularFile(path));
    const std::int64_t fileSize = file.isOpen() ? platform::fileSize(file.get()) : -1;
    if (fileSize < 0) {
        return false;
    }
    const auto size = static_cast<std::size_t>(fileSize);
    try {
        // Large pages, asked for before the buffer is first touched, spare most of the page faults of
        // filling it.
        content.reserve(size);
        platform::preferLargePages(content.data(), size);
        content.assign(size, '\0');
    } catch (const std::bad_alloc&) {
        return false; // too large for memory: reported as unreadable rather than ending the program
    }
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t got = platform::readSome(file.get(), content.data() + done, size - done);
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return size != 0;
}

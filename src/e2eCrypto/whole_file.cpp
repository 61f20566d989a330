#include "e2eCrypto/whole_file.h"

#include "platform/file_access.h"
#include "platform/file_io.h"
#include "platform/memory_pages.h"

#include <new>

bool ReadWholeFile(const std::string& path, std::string& content) {
    DocumentFile file;
    if (!file.open(path, content)) {
        return false;
    }
    file.read(content);
    return true;
}

bool DocumentFile::open(const std::string& path, std::string& content) {
    content.clear();
    if (!platform::isReadable(path)) {
        return false;
    }
    file_ = FileDescriptor(platform::openRegularFile(path));
    const std::int64_t fileSize = file_.isOpen() ? platform::fileSize(file_.get()) : -1;
    if (fileSize <= 0) {
        file_.close();
        return false;
    }
    size_ = static_cast<std::size_t>(fileSize);
    try {
        // Large pages, asked for before the buffer is first touched, spare most of the page faults of
        // filling it.
        content.reserve(size_);
        platform::preferLargePages(content.data(), size_);
    } catch (const std::bad_alloc&) {
        file_.close();
        return false; // too large for memory: reported as unreadable rather than ending the program
    }
    return true;
}

void DocumentFile::read(std::string& content) {
    // On after the bytes content holds already; from the first byte when it holds none, also after a
    // reading that decoded some of the file; nothing when it cannot.
    std::size_t done = content.size();
    if (done == 0 && !platform::rewindFile(file_.get())) {
        done = size_;
    }
    content.resize(size_);
    while (done < size_) {
        const std::int64_t got = platform::readSome(file_.get(), content.data() + done, size_ - done);
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    file_.close();
}

std::optional<DecodedArmour> DocumentFile::readDecoding(std::string& content, std::size_t pieceSize) {
    std::optional<DecodedArmour> decoded = readDecodingArmour(
        content, size_,
        [this](char* buffer, std::size_t size) { return platform::readSome(file_.get(), buffer, size); },
        pieceSize);
    if (!decoded) {
        read(content);
    }
    file_.close();
    return decoded;
}

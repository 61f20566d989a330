#include "document_input.h"

#include "platform/file_descriptor.h"
#include "platform/file_io.h"
#include "platform/file_kind.h"
#include "platform/standard_streams.h"

#include <algorithm>
#include <new>

namespace {

const std::string standardInputName = "-";

bool readToEnd(int input, std::string& content) {
    content.clear();
    try {
        std::size_t size = 0;
        for (;;) {
            if (size == content.size()) {
                const std::size_t grown = std::max<std::size_t>(size * 2, 1 << 20);
                content.resize(
                    static_cast<std::size_t>(std::min<std::uint64_t>(grown, standardInputLimit + 1)));
            }
            const std::int64_t got = platform::readSome(input, content.data() + size, content.size() - size);
            if (got < 0) {
                content.clear();
                return false;
            }
            if (got == 0) {
                break;
            }
            size += static_cast<std::size_t>(got);
            if (size > standardInputLimit) {
                content.clear();
                return false;
            }
        }
        content.resize(size);
        return size != 0;
    } catch (const std::bad_alloc&) {
        content.clear();
        return false;
    }
}

} // namespace

bool isStreamInput(const std::string& path) {
    return path == standardInputName || platform::fileKind(path) == platform::FileKind::Pipe;
}

bool readStreamInput(const std::string& path, std::string& content) {
    if (path == standardInputName) {
        return readToEnd(platform::binaryStandardInput(), content);
    }
    const FileDescriptor pipe(platform::openForReading(path));
    return pipe.isOpen() && readToEnd(pipe.get(), content);
}

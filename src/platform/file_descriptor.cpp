#include "platform/file_descriptor.h"

#include "platform/file_io.h"
#include "platform/work_progress.h"

#include <algorithm>
#include <cerrno>

bool FileDescriptor::close() {
    if (fd_ < 0) {
        return true;
    }
    const bool closed = platform::closeFile(fd_);
    fd_ = -1;
    return closed;
}

SystemResult writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::int64_t written =
            platform::writeSome(fd, bytes.data() + done, std::min(bytes.size() - done, workBlockSize));
        if (written <= 0) {
            // Nothing written without an error is a device that takes no more.
            return SystemResult::failed(written < 0 ? errno : EIO);
        }
        done += static_cast<std::size_t>(written);
        if (!WorkPass::advanced(static_cast<std::uint64_t>(written))) {
            return SystemResult::failed(ECANCELED);
        }
    }
    return SystemResult::done();
}

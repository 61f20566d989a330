#include "certs/source_channel.h"

#include "e2eCrypto/error_records.h"

#include "platform/file_io.h"

#include <climits>
#include <cstdio>

namespace {

// Opens path on a file channel, which then owns the file; only regular files are accepted, and a FIFO
// under the name does not block the open.
bool openRegularFile(BIO* channel, const std::string& path) {
    const int descriptor = platform::openRegularFile(path);
    if (descriptor < 0) {
        return false;
    }
    FILE* file = platform::readStreamOf(descriptor);
    if (file == nullptr) {
        platform::closeFile(descriptor);
        return false;
    }
    BIO_set_fp(channel, file, BIO_CLOSE);
    return true;
}

} // namespace

bool fitsMemoryChannel(std::string_view bytes) {
    return !bytes.empty() && bytes.size() <= static_cast<std::size_t>(INT_MAX);
}

BioPtr newMemoryChannel(std::string_view bytes) {
    return BioPtr(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
}

BioPtr openSourceChannel(const std::string& source, bool sourceIsFile) {
    if (!sourceIsFile && !fitsMemoryChannel(source)) {
        return nullptr;
    }
    BioPtr channel(sourceIsFile ? BIO_new(BIO_s_file()) : newMemoryChannel(source).release());
    if (!channel) {
        throw errorDef::Fatal("System is low in memory");
    }
    if (sourceIsFile && !openRegularFile(channel.get(), source)) {
        return nullptr;
    }
    return channel;
}

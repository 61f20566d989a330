#include "certs/source_channel.h"

#include "e2eCrypto/error_records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

namespace {

// Opens path on a file channel, which then owns the file. O_NONBLOCK keeps a FIFO from blocking the
// open; only regular files are accepted.
bool openRegularFile(BIO* channel, const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return false;
    }
    FILE* file = ::fdopen(descriptor, "rb");
    if (file == nullptr) {
        ::close(descriptor);
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

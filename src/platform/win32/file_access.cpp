#include "platform/file_access.h"

#include "wide_text.h"

#include <io.h>

namespace platform {

namespace {

constexpr int existence = 0;
constexpr int writing = 2;
constexpr int reading = 4;

bool allows(const std::string& path, int mode) {
    return !path.empty() && ::_waccess(widen(path).c_str(), mode) == 0;
}

} // namespace

bool isReadable(const std::string& path) {
    return allows(path, reading);
}

bool isWritable(const std::string& path) {
    return allows(path, writing);
}

bool exists(const std::string& path) {
    return allows(path, existence);
}

} // namespace platform

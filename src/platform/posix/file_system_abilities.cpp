#include "platform/posix/file_system_abilities.h"

#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

namespace fileSystem {

namespace {

std::vector<std::string_view> simulatedWords() {
    const char* text = std::getenv("QUILLBOX_FILE_SYSTEM");
    const std::string_view words = text != nullptr ? std::string_view(text) : std::string_view();
    std::vector<std::string_view> found;
    for (std::size_t at = 0; at < words.size();) {
        const std::size_t end = std::min(words.find(' ', at), words.size());
        found.push_back(words.substr(at, end - at));
        at = end + 1;
    }
    return found;
}

// The value of "name=VALUE" among the simulated words.
std::optional<std::uint64_t> simulatedNumber(std::string_view name) {
    for (const std::string_view word : simulatedWords()) {
        std::uint64_t value = 0;
        if (word.size() > name.size() && word.starts_with(name) && word[name.size()] == '=' &&
            std::from_chars(word.data() + name.size() + 1, word.data() + word.size(), value).ec ==
                std::errc()) {
            return value;
        }
    }
    return std::nullopt;
}

// The file systems that write every changed block anew: btrfs, bcachefs, ZFS.
constexpr std::array<unsigned long, 3> copyOnWriteKinds = {0x9123683EUL, 0xCA451A4EUL, 0x2FC12FC1UL};

} // namespace

bool simulates(std::string_view word) {
    const std::vector<std::string_view> words = simulatedWords();
    return std::find(words.begin(), words.end(), word) != words.end();
}

bool copiesOnWrite(int fd) {
    if (simulates("copy-on-write")) {
        return true;
    }
    struct statfs kind {};
    return ::fstatfs(fd, &kind) == 0 &&
           std::find(copyOnWriteKinds.begin(), copyOnWriteKinds.end(),
                     static_cast<unsigned long>(kind.f_type)) != copyOnWriteKinds.end();
}

std::optional<std::uint64_t> freeSpace(int fd) {
    struct statvfs space {};
    if (::fstatvfs(fd, &space) != 0) {
        return simulatedNumber("free");
    }
    const std::uint64_t available = std::uint64_t{space.f_bavail} * space.f_frsize;
    return std::min(available, simulatedNumber("free").value_or(available));
}

} // namespace fileSystem

#include "platform/staging_name.h"

#include <charconv>
#include <random>

namespace platform {

namespace {

constexpr std::string_view stem = ".quillbox-";
constexpr std::string_view extension = ".tmp";

bool isNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

std::string stagingFileName(std::uint64_t process) {
    // Drawn afresh for each name, so no generator is shared between saves on several threads.
    std::random_device randomness;
    const std::uint64_t random = (std::uint64_t{randomness()} << 32) | randomness();
    return std::string(stem) + std::to_string(process) + "-" + std::to_string(random % 1000000000000ULL) +
           std::string(extension);
}

std::optional<std::uint64_t> stagingProcessOf(std::string_view name) {
    if (name.size() <= stem.size() + extension.size() || !name.starts_with(stem) ||
        !name.ends_with(extension)) {
        return std::nullopt;
    }
    name = name.substr(stem.size(), name.size() - stem.size() - extension.size());
    const std::size_t dash = name.find('-');
    std::uint64_t process = 0;
    if (dash == std::string_view::npos || !isNumber(name.substr(0, dash)) ||
        !isNumber(name.substr(dash + 1)) ||
        std::from_chars(name.data(), name.data() + dash, process).ec != std::errc()) {
        return std::nullopt;
    }
    return process;
}

} // namespace platform

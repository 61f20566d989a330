#include "support/temp_dir.h"

#include "platform/utf8_path.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

// A name nobody else holds: create_directory reports whether it made the directory itself.
TempDir::TempDir(const std::filesystem::path& base) {
    static std::mt19937_64 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate =
            base / ("quillbox-test-" + std::to_string(generator() % 1000000000ULL));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            std::filesystem::permissions(candidate, std::filesystem::perms::owner_all, error);
            path_ = platform::utf8String(candidate);
        }
    }
    if (path_.empty()) {
        throw std::runtime_error("cannot make a temporary directory");
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Give back write permission first, so read-only test directories can be removed.
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(platform::utf8Path(path_), ignored)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(platform::utf8Path(path_), ignored);
}

// In the system's own separators (the job refuses a path that mixes them), and UTF-8 throughout.
std::string TempDir::file(const std::string& name) const {
    return platform::utf8String((platform::utf8Path(path_) / platform::utf8Path(name)).make_preferred());
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    const std::string target = file(name);
    std::ofstream out(platform::utf8Path(target), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + target);
    }
    return target;
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream in(platform::utf8Path(file(name)), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

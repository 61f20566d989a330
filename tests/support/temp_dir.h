#pragma once
// A fresh directory under the system's temporary directory (or another base), removed with
// everything in it.
#include <filesystem>
#include <string>

class TempDir {
public:
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path());
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& path() const { return path_; }
    // path() + "/" + name, in the system's separators
    std::string file(const std::string& name) const;
    // Writes bytes to path() + "/" + name and returns that path.
    std::string write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;

private:
    std::string path_;
};

#pragma once
// An advisory lock on a directory, taken by the processes of this program before they change files
// in it that they share, and released when the holder goes.
#include <cstdint>
#include <string>

namespace platform {

class DirectoryLock {
public:
    // Waits until the lock on directory is this object's; held() is false when it cannot be taken.
    explicit DirectoryLock(const std::string& directory);
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    ~DirectoryLock();

    bool held() const { return held_; }

private:
    std::intptr_t handle_ = -1;
    bool held_ = false;
};

} // namespace platform

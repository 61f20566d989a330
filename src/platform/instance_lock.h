#pragma once
// Which copy of a program comes first, decided atomically by the system: a named mutex on Windows,
// a locked file in the temporary directory on POSIX systems. The first copy holds it until the
// object goes or the process ends, however it ends.
#include <cstdint>
#include <string>

namespace platform {

class InstanceLock {
public:
    // One try, no waiting. name: a plain file name, the same in every copy of the program.
    explicit InstanceLock(const std::string& name);
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // Whether this copy came first.
    bool held() const { return handle_ != -1; }

private:
    std::intptr_t handle_ = -1; // the locked file's descriptor, or the mutex's handle
    std::string path_;          // the locked file, removed on release (POSIX)
};

} // namespace platform

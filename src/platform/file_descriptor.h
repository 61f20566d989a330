#pragma once
// An owned file descriptor, and writing that survives partial writes and interruptions.
#include "platform/system_result.h"

#include <string_view>
#include <utility>

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    ~FileDescriptor() { close(); }

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded.
    bool close();

private:
    int fd_;
};

// Writes every byte, resuming after partial writes and interrupted calls. During a job's pass it writes
// in blocks and stops (ECANCELED) when asked to.
SystemResult writeAll(int fd, std::string_view bytes);

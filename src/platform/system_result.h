#pragma once
// What an operating-system operation without a value of its own came to: done, or the system's error
// number that says why not, carried with the result instead of left behind in errno.
#include <cerrno>

class SystemResult {
public:
    static SystemResult done() { return SystemResult(0); }
    // A failure the system gave no reason for counts as an input/output error.
    static SystemResult failed(int error) { return SystemResult(error != 0 ? error : EIO); }
    // For a call that returns 0 when it worked and -1 with errno set when it did not.
    static SystemResult ofCall(int returned) { return returned == 0 ? done() : failed(errno); }

    explicit operator bool() const { return error_ == 0; }
    // 0 when done.
    int error() const { return error_; }

private:
    explicit SystemResult(int error) : error_(error) {}

    int error_;
};

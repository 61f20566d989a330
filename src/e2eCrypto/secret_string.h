#pragma once
// A byte string for pass phrases, store passwords and content keys: its bytes are wiped when it is released
// or overwritten, so no secret lingers in freed memory.
#include <openssl/crypto.h>

#include <string>
#include <string_view>
#include <utility>

class SecretString {
public:
    SecretString() = default;
    // The moved-from string may still hold the bytes in its own small buffer: it is wiped too.
    explicit SecretString(std::string bytes) : bytes_(std::move(bytes)) { cleanse(bytes); }
    SecretString(std::string_view bytes) : bytes_(bytes) {}
    SecretString(const char* bytes) : bytes_(bytes) {}
    SecretString(const SecretString& other) : bytes_(other.bytes_) {}
    SecretString(SecretString&& other) noexcept : bytes_(std::move(other.bytes_)) { other.wipe(); }
    SecretString& operator=(const SecretString& other) {
        if (this != &other) {
            wipe();
            bytes_ = other.bytes_;
        }
        return *this;
    }
    SecretString& operator=(SecretString&& other) noexcept {
        if (this != &other) {
            wipe();
            bytes_ = std::move(other.bytes_);
            other.wipe();
        }
        return *this;
    }
    ~SecretString() { wipe(); }

    const std::string& str() const { return bytes_; }
    std::string& mutableStr() { return bytes_; }
    std::string_view view() const { return bytes_; }
    const char* data() const { return bytes_.data(); }
    const char* c_str() const { return bytes_.c_str(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    bool operator==(const SecretString& other) const { return bytes_ == other.bytes_; }
    bool operator==(std::string_view other) const { return bytes_ == other; }

    // Appends one byte. A full buffer is never grown in place: the bytes move to one twice as large
    // and the old one is wiped before it is freed, so a secret of any length leaves no copy behind.
    void push_back(char byte) {
        if (bytes_.size() == bytes_.capacity()) {
            std::string larger;
            larger.reserve(2 * bytes_.capacity());
            larger.append(bytes_);
            wipe();
            bytes_.swap(larger);
        }
        bytes_.push_back(byte);
    }

    // Wipes the whole buffer, not just the current length: a move or a shrink leaves bytes behind.
    void wipe() { cleanse(bytes_); }

private:
    static void cleanse(std::string& bytes) {
        OPENSSL_cleanse(bytes.data(), bytes.capacity());
        bytes.clear();
    }

    std::string bytes_;
};

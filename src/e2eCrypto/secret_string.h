#pragma once
// A byte string for pass phrases, key blobs and PEM keys: its bytes are wiped when it is released
// or overwritten, so no secret lingers in freed memory.
#include <openssl/crypto.h>

#include <string>
#include <string_view>
#include <utility>

class SecretString {
public:
    SecretString() = default;
    explicit SecretString(std::string bytes) : bytes_(std::move(bytes)) {}
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

    void wipe() {
        if (!bytes_.empty()) {
            OPENSSL_cleanse(bytes_.data(), bytes_.size());
        }
        bytes_.clear();
    }

private:
    std::string bytes_;
};

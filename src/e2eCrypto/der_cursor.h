#pragma once
// A walk over DER (or BER with indefinite lengths) elements that never reads past its end.
#include <cstddef>
#include <optional>
#include <string_view>

class DerCursor {
public:
    explicit DerCursor(std::string_view der) : at_(der.data()), end_(der.data() + der.size()) {}

    // Moves into the element's content when it has this tag.
    bool enter(unsigned char tag) { return readHeader(tag); }
    // Moves past the whole element when it has this tag and lies within the bytes.
    bool skip(unsigned char tag) { return take(tag).has_value(); }
    // The content of the element with this tag, moving past it; nothing when the element has another
    // tag, an indefinite length or does not lie within the bytes.
    std::optional<std::string_view> take(unsigned char tag) {
        if (!readHeader(tag) || indefinite_ || length_ > left()) {
            return std::nullopt;
        }
        const std::string_view content(at_, length_);
        at_ += length_;
        return content;
    }
    bool nextIs(unsigned char tag) const { return at_ < end_ && static_cast<unsigned char>(*at_) == tag; }
    bool atEnd() const { return at_ == end_; }
    // The tag of the next element; 0 at the end.
    unsigned char nextTag() const { return at_ < end_ ? static_cast<unsigned char>(*at_) : 0; }
    const char* position() const { return at_; }
    std::size_t left() const { return static_cast<std::size_t>(end_ - at_); }

private:
    bool readHeader(unsigned char tag) {
        if (left() < 2 || static_cast<unsigned char>(at_[0]) != tag) {
            return false;
        }
        const auto first = static_cast<unsigned char>(at_[1]);
        at_ += 2;
        indefinite_ = first == 0x80;
        length_ = first;
        if (first > 0x80) {
            const std::size_t count = first & 0x7Fu;
            if (count > 4 || left() < count) {
                return false;
            }
            length_ = 0;
            for (std::size_t i = 0; i < count; ++i) {
                length_ = (length_ << 8) | static_cast<unsigned char>(*at_++);
            }
        }
        return true;
    }

    const char* at_;
    const char* end_;
    std::size_t length_ = 0;
    bool indefinite_ = false;
};

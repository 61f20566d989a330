#pragma once
// Splits a text at any byte of a delimiter set; used for subject names and batch path lists.
#include <string>
#include <string_view>

class StringTokenizer {
public:
    static constexpr std::size_t none = std::string::npos;
    static constexpr std::string_view defaultDelimiters = "()<>@,;:[]?={} \t";

    explicit StringTokenizer(std::string text = {});

    // Replaces the text, restores the default delimiters and skips leading white space.
    void setText(std::string text);
    void setDelimiters(std::string delimiters);
    std::size_t position() const { return position_; }
    std::string nextToken();

private:
    std::string text_;
    std::string delimiters_;
    std::size_t position_ = none;
};

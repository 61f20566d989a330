#include "e2eCrypto/string_tokenizer.h"

#include <utility>

namespace {
constexpr std::string_view lineSeparator = "\r\n";
constexpr std::string_view whitespace = " \t\r\n";
} // namespace

StringTokenizer::StringTokenizer(std::string text) {
    setText(std::move(text));
}

void StringTokenizer::setText(std::string text) {
    text_ = std::move(text);
    delimiters_ = defaultDelimiters;
    position_ = text_.find_first_not_of(whitespace);
}

void StringTokenizer::setDelimiters(std::string delimiters) {
    delimiters_ = std::move(delimiters);
}

std::string StringTokenizer::nextToken() {
    if (position_ == none || position_ >= text_.size()) {
        return {};
    }
    const std::size_t start = position_;
    if (delimiters_ == lineSeparator) {
        const std::size_t found = text_.find(lineSeparator, start);
        if (found == std::string::npos) {
            position_ = none;
            return text_.substr(start);
        }
        // A separator that ends the text ends the tokens too; otherwise a caller looping while the
        // position is set would never stop.
        position_ = found + lineSeparator.size() < text_.size() ? found + lineSeparator.size() : none;
        return text_.substr(start, found - start);
    }
    const std::size_t found = text_.find_first_of(delimiters_, start);
    if (found == std::string::npos) {
        position_ = none;
        return text_.substr(start);
    }
    position_ = text_.find_first_not_of(delimiters_, found);
    return text_.substr(start, found - start);
}

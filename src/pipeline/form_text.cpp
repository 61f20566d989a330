#include "pipeline/form_text.h"

#include "e2eCrypto/string_tokenizer.h"

#include <string_view>

namespace {
constexpr std::string_view whiteSpace = " \t\n\v\f\r";
} // namespace

std::string trimmedBoxText(const std::string& text) {
    const std::size_t first = text.find_first_not_of(whiteSpace);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(whiteSpace) - first + 1);
}

std::vector<std::string> splitPathList(const std::string& text) {
    StringTokenizer tokenizer;
    tokenizer.setText(text);
    tokenizer.setDelimiters(";");
    std::vector<std::string> items;
    for (std::string item = tokenizer.nextToken(); !item.empty(); item = tokenizer.nextToken()) {
        items.push_back(std::move(item));
    }
    return items;
}

#include "one_line.h"

#include "e2eCrypto/escaped_text.h"

#include <algorithm>
#include <utility>

std::string oneLine(std::string text) {
    std::ranges::replace(text, '\n', ' ');
    return escapeControlCharacters(text, Backslashes::Kept);
}

std::string shownName(const std::string& name) {
    return escapeControlCharacters(name, Backslashes::Kept);
}

std::string oneLineNaming(std::string text, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (name.find('\n') == std::string::npos) {
            continue;
        }
        const std::string shown = shownName(name);
        for (std::size_t at = text.find(name); at != std::string::npos;
             at = text.find(name, at + shown.size())) {
            text.replace(at, name.size(), shown);
        }
    }
    return oneLine(std::move(text));
}

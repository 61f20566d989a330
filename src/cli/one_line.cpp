#include "one_line.h"

#include "e2eCrypto/escaped_text.h"

#include <algorithm>

std::string oneLine(std::string text) {
    std::ranges::replace(text, '\n', ' ');
    return escapeControlCharacters(text, Backslashes::Kept);
}

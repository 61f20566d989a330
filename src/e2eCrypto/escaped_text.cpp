#include "e2eCrypto/escaped_text.h"

namespace {

void appendHex(std::string& out, unsigned char byte) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    out += {'\\', 'x', hexDigits[byte >> 4], hexDigits[byte & 0x0F]};
}

// The lead byte of U+0080 to U+009F in UTF-8, followed by 0x80 to 0x9F.
bool startsUtf8C1Control(std::string_view text, std::size_t at) {
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

} // namespace

std::string escapeControlCharacters(std::string_view text, Backslashes backslashes) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' && backslashes == Backslashes::Escaped) {
            escaped += "\\\\";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            appendHex(escaped, byte);
        } else if (startsUtf8C1Control(text, at)) {
            appendHex(escaped, byte);
            appendHex(escaped, static_cast<unsigned char>(text[++at]));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

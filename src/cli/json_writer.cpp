#include "json_writer.h"

#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u) {
            return 0;
        }
        value = (value << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

// A byte that is no part of valid UTF-8 (0x80 to 0xFF) becomes the escape of the lone surrogate
// U+DC80 to U+DCFF, so the line stays JSON and the byte can be recovered (the "surrogateescape"
// convention).
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8Length(text, i);
            if (length == 0) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\udc%02x", c);
                out += escaped;
            } else {
                out += text.substr(i, length);
            }
            i += length == 0 ? 1 : length;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

std::string jsonArray(const std::vector<std::string>& elements) {
    std::string array = "[";
    for (const std::string& element : elements) {
        array += (array.size() == 1 ? "" : ",") + element;
    }
    return array + "]";
}

std::string jsonStringArray(const std::vector<std::string>& texts) {
    std::vector<std::string> elements;
    for (const std::string& text : texts) {
        elements.push_back(jsonString(text));
    }
    return jsonArray(elements);
}

JsonObject& JsonObject::raw(const char* key, const std::string& json) {
    body_ += (body_.empty() ? "{" : ",") + jsonString(key) + ":" + json;
    return *this;
}

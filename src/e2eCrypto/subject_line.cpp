#include "e2eCrypto/subject_line.h"

#include "e2eCrypto/object_name.h"
#include "e2eCrypto/openssl_handles.h"

#include <openssl/objects.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

namespace {

using X509NamePtr = std::unique_ptr<X509_NAME, OpenSslDeleter<X509_NAME_free>>;

struct LibraryFree {
    template <typename T> void operator()(T* bytes) const { OPENSSL_free(bytes); }
};
using LibraryString = std::unique_ptr<char, LibraryFree>;

constexpr std::string_view longEmail = "emailAddress";
constexpr std::string_view shortEmail = "Email";

// The one-line form's name of an attribute: the e-mail attribute is written short.
std::string lineName(const X509_NAME_ENTRY* entry) {
    std::string name = objectName(X509_NAME_ENTRY_get_object(entry));
    return name == longEmail ? std::string(shortEmail) : name;
}

// The value as UTF-8 text whatever its string type; nothing when it is not well-formed in that type.
std::optional<std::string> utf8Value(const X509_NAME_ENTRY* entry) {
    unsigned char* converted = nullptr;
    const int length = ASN1_STRING_to_UTF8(&converted, X509_NAME_ENTRY_get_data(entry));
    if (length < 0) {
        return std::nullopt;
    }
    const std::unique_ptr<unsigned char, LibraryFree> utf8(converted);
    return std::string(reinterpret_cast<const char*>(converted), static_cast<std::size_t>(length));
}

void appendHexEscape(std::string& text, unsigned char byte) {
    constexpr char hex[] = "0123456789ABCDEF";
    text += {'\\', 'x', hex[byte >> 4], hex[byte & 0x0F]};
}

bool isControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// "/attribute=value" with the library's own escaping, for a value that is no character string or
// not well-formed in its string type: every byte outside printable ASCII becomes "\xHH".
std::string escapedEntryText(const X509_NAME_ENTRY* entry) {
    X509NamePtr single(X509_NAME_new());
    if (!single || X509_NAME_add_entry(single.get(), entry, -1, 0) != 1) {
        return {};
    }
    const LibraryString line(X509_NAME_oneline(single.get(), nullptr, 0));
    std::string text = line ? std::string(line.get()) : std::string();
    if (text.starts_with("/" + std::string(longEmail) + "=")) {
        text.replace(1, longEmail.size(), shortEmail);
    }
    return text;
}

// "/attribute=value" with the value as UTF-8 text whatever its string type; control characters are
// still written "\xHH", so that a name never breaks a line. Falls back to the escaped form.
std::string entryText(const X509_NAME_ENTRY* entry) {
    const std::optional<std::string> value = utf8Value(entry);
    if (!value) {
        return escapedEntryText(entry);
    }
    std::string text = "/" + lineName(entry) + "=";
    for (const char c : *value) {
        if (isControl(static_cast<unsigned char>(c))) {
            appendHexEscape(text, static_cast<unsigned char>(c));
        } else {
            text += c;
        }
    }
    return text;
}

// The length of the unit that starts at `at`: a "\xHH" escape or one UTF-8 character, so that a cut
// never splits either.
std::size_t unitLength(std::string_view text, std::size_t at) {
    if (text.substr(at, 2) == "\\x" && at + 4 <= text.size()) {
        return 4;
    }
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return std::min(length, text.size() - at);
}

// As much of entry as fits into room bytes, in whole units.
std::string_view cutEntry(std::string_view entry, std::size_t room) {
    std::size_t end = 0;
    while (end < entry.size() && end + unitLength(entry, end) <= room) {
        end += unitLength(entry, end);
    }
    return entry.substr(0, end);
}

} // namespace

std::string subjectOneLine(const X509_NAME* name, std::size_t maxLength) {
    std::string line;
    if (name == nullptr) {
        return line;
    }
    const int count = X509_NAME_entry_count(name);
    for (int i = 0; i < count && line.size() < maxLength; ++i) {
        line += cutEntry(entryText(X509_NAME_get_entry(name, i)), maxLength - line.size());
    }
    return line;
}

std::vector<NameAttribute> nameAttributes(const X509_NAME* name) {
    std::vector<NameAttribute> attributes;
    const int count = name == nullptr ? 0 : X509_NAME_entry_count(name);
    for (int i = 0; i < count; ++i) {
        const X509_NAME_ENTRY* entry = X509_NAME_get_entry(name, i);
        std::optional<std::string> value = utf8Value(entry);
        if (!value) {
            const ASN1_STRING* data = X509_NAME_ENTRY_get_data(entry);
            const auto* bytes = ASN1_STRING_get0_data(data);
            value.emplace();
            for (int j = 0; j < ASN1_STRING_length(data); ++j) {
                const bool printable = bytes[j] >= 0x20 && bytes[j] < 0x7F;
                *value += printable ? std::string(1, static_cast<char>(bytes[j])) : "\xEF\xBF\xBD";
            }
        }
        attributes.push_back({objectName(X509_NAME_ENTRY_get_object(entry)), std::move(*value)});
    }
    return attributes;
}

std::string wholeName(const std::vector<NameAttribute>& attributes) {
    std::string text;
    for (const NameAttribute& attribute : attributes) {
        text += "/" + (attribute.name == longEmail ? std::string(shortEmail) : attribute.name) + "=";
        for (const char c : attribute.value) {
            if (c == '\\' || c == '/') {
                text += {'\\', c};
            } else if (isControl(static_cast<unsigned char>(c))) {
                appendHexEscape(text, static_cast<unsigned char>(c));
            } else {
                text += c;
            }
        }
    }
    return text;
}

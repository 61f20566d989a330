#include "e2eCrypto/subject_line.h"

#include "e2eCrypto/object_name.h"
#include "e2eCrypto/openssl_handles.h"

#include <openssl/objects.h>

#include <memory>
#include <string_view>

namespace {

using X509NamePtr = std::unique_ptr<X509_NAME, OpenSslDeleter<X509_NAME_free>>;

struct LibraryFree {
    template <typename T> void operator()(T* bytes) const { OPENSSL_free(bytes); }
};
using LibraryString = std::unique_ptr<char, LibraryFree>;

constexpr std::string_view longEmail = "/emailAddress=";
constexpr std::string_view shortEmail = "/Email=";

// "/attribute=value" with the library's own escaping, for a value that is no character string or
// not well-formed in its string type: every byte outside printable ASCII becomes "\xHH".
std::string escapedEntryText(const X509_NAME_ENTRY* entry) {
    X509NamePtr single(X509_NAME_new());
    if (!single || X509_NAME_add_entry(single.get(), entry, -1, 0) != 1) {
        return {};
    }
    const LibraryString line(X509_NAME_oneline(single.get(), nullptr, 0));
    return line ? std::string(line.get()) : std::string();
}

// "/attribute=value" with the value as UTF-8 text whatever its string type; control characters are
// still written "\xHH", so that a name never breaks a line. Falls back to the escaped form.
std::string entryText(const X509_NAME_ENTRY* entry) {
    unsigned char* converted = nullptr;
    const int length = ASN1_STRING_to_UTF8(&converted, X509_NAME_ENTRY_get_data(entry));
    if (length < 0) {
        return escapedEntryText(entry);
    }
    const std::unique_ptr<unsigned char, LibraryFree> utf8(converted);
    std::string text = "/" + objectName(X509_NAME_ENTRY_get_object(entry)) + "=";
    for (int i = 0; i < length; ++i) {
        const unsigned char byte = converted[i];
        if (byte < 0x20 || byte == 0x7F) {
            constexpr char hex[] = "0123456789ABCDEF";
            text += {'\\', 'x', hex[byte >> 4], hex[byte & 0x0F]};
        } else {
            text += static_cast<char>(byte);
        }
    }
    return text;
}

} // namespace

std::string subjectOneLine(const X509_NAME* name, std::size_t maxLength) {
    std::string line;
    if (name == nullptr) {
        return line;
    }
    const int count = X509_NAME_entry_count(name);
    for (int i = 0; i < count; ++i) {
        std::string entry = entryText(X509_NAME_get_entry(name, i));
        if (entry.starts_with(longEmail)) {
            entry.replace(0, longEmail.size(), shortEmail);
        }
        if (line.size() + entry.size() > maxLength) {
            break;
        }
        line += entry;
    }
    return line;
}

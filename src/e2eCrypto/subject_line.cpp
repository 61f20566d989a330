#include "e2eCrypto/subject_line.h"

#include "e2eCrypto/openssl_handles.h"

#include <memory>
#include <string_view>

namespace {

using X509NamePtr = std::unique_ptr<X509_NAME, OpenSslDeleter<X509_NAME_free>>;

struct LibraryStringFree {
    void operator()(char* text) const { OPENSSL_free(text); }
};

constexpr std::string_view longEmail = "/emailAddress=";
constexpr std::string_view shortEmail = "/Email=";

// "/attribute=value" of one entry, with the library's escaping of the value.
std::string entryText(const X509_NAME_ENTRY* entry) {
    X509NamePtr single(X509_NAME_new());
    if (!single || X509_NAME_add_entry(single.get(), entry, -1, 0) != 1) {
        return {};
    }
    std::unique_ptr<char, LibraryStringFree> line(X509_NAME_oneline(single.get(), nullptr, 0));
    if (!line) {
        return {};
    }
    std::string text(line.get());
    if (text.starts_with(longEmail)) {
        text.replace(0, longEmail.size(), shortEmail);
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
        const std::string entry = entryText(X509_NAME_get_entry(name, i));
        if (line.size() + entry.size() > maxLength) {
            break;
        }
        line += entry;
    }
    return line;
}

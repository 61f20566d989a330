#include "certs/netscape_certificate.h"

#include "e2eCrypto/error_records.h"

#include <climits>
#include <cstring>

namespace {

constexpr std::string_view expectedHeader = "certificate";

[[noreturn]] void throwBadHeader() {
    throw errorDef::error_message(
        "Error reading ASN1 header in Netscape type Certificate\nto check agains CRL");
}

struct Element {
    const unsigned char* content = nullptr;
    long length = 0;
    bool indefinite = false;
};

// The next element at cursor if it is a universal one of the given tag and form; the content of an
// indefinite-length element runs to limit.
bool readElement(const unsigned char*& cursor, const unsigned char* limit, int expectedTag, bool constructed,
                 Element& element) {
    long length = 0;
    int tag = 0;
    int tagClass = 0;
    const int flags = ASN1_get_object(&cursor, &length, &tag, &tagClass, limit - cursor);
    if ((flags & 0x80) != 0 || tag != expectedTag || tagClass != V_ASN1_UNIVERSAL ||
        ((flags & V_ASN1_CONSTRUCTED) != 0) != constructed) {
        return false;
    }
    element.content = cursor;
    element.indefinite = (flags & 1) != 0;
    element.length = element.indefinite ? limit - cursor : length;
    return true;
}

} // namespace

X509Ptr decodeNetscapeCertificate(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(LONG_MAX)) {
        throwBadHeader();
    }
    const auto* cursor = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* limit = cursor + bytes.size();
    Element sequence;
    if (!readElement(cursor, limit, V_ASN1_SEQUENCE, true, sequence)) {
        throwBadHeader();
    }
    const unsigned char* sequenceEnd = sequence.content + sequence.length;
    Element header;
    // An empty header counts as absent; a shorter one passes when "certificate" begins with it.
    if (!readElement(cursor, sequenceEnd, V_ASN1_OCTET_STRING, false, header) || header.length == 0 ||
        header.length > static_cast<long>(expectedHeader.size()) ||
        std::memcmp(header.content, expectedHeader.data(), static_cast<std::size_t>(header.length)) != 0) {
        throwBadHeader();
    }
    cursor = header.content + header.length;
    X509Ptr certificate(d2i_X509(nullptr, &cursor, sequenceEnd - cursor));
    // A definite-length SEQUENCE must end with the certificate.
    if (!certificate || (!sequence.indefinite && cursor != sequenceEnd)) {
        throw errorDef::error_message("Error loading Netscape type certificate\nto check against CRL");
    }
    return certificate;
}

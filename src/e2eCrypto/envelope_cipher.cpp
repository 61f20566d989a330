#include "e2eCrypto/envelope_cipher.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/openssl_handles.h"

#include <openssl/objects.h>

#include <algorithm>

namespace {

// The algorithm identifier comes after the recipients, which take far less than this.
constexpr std::size_t prefixCharacters = 64 * 1024;

// The first Base64 characters of the armour's body, whole groups only.
std::string bodyPrefix(std::string_view armour) {
    std::string text;
    for (std::size_t i = envelope::pkcs7Begin.size(); i < armour.size() && text.size() < prefixCharacters;
         ++i) {
        const char c = armour[i];
        if (c == '-' || c == '=') {
            break;
        }
        if (c != '\r' && c != '\n') {
            text.push_back(c);
        }
    }
    text.resize(text.size() - text.size() % 4);
    return text;
}

// A walk over DER (or BER with indefinite lengths) elements that never reads past its end.
class DerCursor {
public:
    explicit DerCursor(std::string_view der) : at_(der.data()), end_(der.data() + der.size()) {}

    // Moves into the element's content when it has this tag.
    bool enter(unsigned char tag) { return readHeader(tag); }
    // Moves past the whole element when it has this tag and lies within the bytes.
    bool skip(unsigned char tag) {
        if (!readHeader(tag) || indefinite_ || length_ > static_cast<std::size_t>(end_ - at_)) {
            return false;
        }
        at_ += length_;
        return true;
    }
    bool nextIs(unsigned char tag) const { return at_ < end_ && static_cast<unsigned char>(*at_) == tag; }
    const char* position() const { return at_; }
    std::size_t left() const { return static_cast<std::size_t>(end_ - at_); }

private:
    bool readHeader(unsigned char tag) {
        if (left() < 2 || static_cast<unsigned char>(at_[0]) != tag) {
            return false;
        }
        const auto first = static_cast<unsigned char>(at_[1]);
        at_ += 2;
        indefinite_ = first == 0x80;
        length_ = first;
        if (first > 0x80) {
            const std::size_t count = first & 0x7Fu;
            if (count > 4 || left() < count) {
                return false;
            }
            length_ = 0;
            for (std::size_t i = 0; i < count; ++i) {
                length_ = (length_ << 8) | static_cast<unsigned char>(*at_++);
            }
        }
        return true;
    }

    const char* at_;
    const char* end_;
    std::size_t length_ = 0;
    bool indefinite_ = false;
};

constexpr unsigned char sequence = 0x30, set = 0x31, integer = 0x02, objectId = 0x06, explicit0 = 0xA0;

std::optional<std::string> algorithmName(const char* der, std::size_t size) {
    const auto* cursor = reinterpret_cast<const unsigned char*>(der);
    ASN1_OBJECT* object = d2i_ASN1_OBJECT(nullptr, &cursor, static_cast<long>(size));
    if (object == nullptr) {
        return std::nullopt;
    }
    char text[128];
    const int nid = OBJ_obj2nid(object);
    const bool named = nid != NID_undef;
    if (!named) {
        OBJ_obj2txt(text, sizeof text, object, 1);
    }
    ASN1_OBJECT_free(object);
    return std::string(named ? OBJ_nid2sn(nid) : text);
}

std::optional<std::string> cipherNameOf(std::string_view der) {
    // ContentInfo { type, [0] EnvelopedData { version, [0] originatorInfo OPTIONAL, recipientInfos,
    // EncryptedContentInfo { type, AlgorithmIdentifier { algorithm, ... } ... } } }
    DerCursor cursor(der);
    if (!cursor.enter(sequence) || !cursor.skip(objectId) || !cursor.enter(explicit0) ||
        !cursor.enter(sequence) || !cursor.skip(integer) ||
        (cursor.nextIs(explicit0) && !cursor.skip(explicit0)) || !cursor.skip(set) ||
        !cursor.enter(sequence) || !cursor.skip(objectId) || !cursor.enter(sequence) ||
        !cursor.nextIs(objectId)) {
        return std::nullopt;
    }
    return algorithmName(cursor.position(), cursor.left());
}

} // namespace

std::optional<std::string> envelopeCipherName(std::string_view armour) {
    std::string der;
    try {
        der = decodeBase64(bodyPrefix(armour));
    } catch (const ErrorRecord&) {
        return std::nullopt;
    }
    return cipherNameOf(der);
}

std::optional<std::string> envelopeCipherNameOfDer(std::string_view der, std::size_t decodedBeforeEnd) {
    // The armour's start is whole groups of Base64 before the END marker, prefixCharacters at most.
    const std::size_t prefixBytes =
        std::min(3 * (prefixCharacters / 4), decodedBeforeEnd - decodedBeforeEnd % 3);
    return cipherNameOf(der.substr(0, prefixBytes));
}

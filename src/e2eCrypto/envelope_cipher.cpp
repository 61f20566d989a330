#include "e2eCrypto/envelope_cipher.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/der_cursor.h"
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

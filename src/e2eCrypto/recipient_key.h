#pragma once
// The private key of a certificate-encrypted layer's recipient, used where it lives: the store or
// card that holds it decrypts (RSA) or agrees (elliptic curve) the key of one recipient, so the
// private key itself never has to leave. The content is then decrypted here with what it gives.
#include "e2eCrypto/secret_string.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How an RSA key-transport recipient padded the content-encryption key.
struct KeyTransportPadding {
    bool oaep = false;  // RSA-OAEP with MGF1; PKCS#1 v1.5 when false
    std::string digest; // OAEP's digest, also MGF1's: "SHA1", "SHA224", "SHA256", "SHA384", "SHA512"
    std::string label;  // OAEP's label, usually empty
};

// An elliptic-curve key-agreement recipient (ephemeral-static Diffie-Hellman with the X9.63 key
// derivation): what the key needs to agree on the key that wraps the content-encryption key.
struct KeyAgreement {
    std::string originatorPoint; // the sender's public point on the recipient's curve, as encoded
    std::string kdfDigest;       // the derivation's digest, named as in KeyTransportPadding
    std::string sharedInfo;      // the derivation's other input (ECC-CMS-SharedInfo, DER)
    std::size_t keyLength = 0;   // bytes of key-encryption key to derive
};

class RecipientKey {
public:
    enum class Kind { Rsa, EllipticCurve };

    virtual ~RecipientKey() = default;

    virtual Kind kind() const = 0;
    // The content-encryption key in encryptedKey; nothing when this key does not decrypt it.
    virtual std::optional<SecretString> decryptKey(std::string_view encryptedKey,
                                                   const KeyTransportPadding& padding) = 0;
    // The key-encryption key agreed with the sender; nothing when no key can be agreed.
    virtual std::optional<SecretString> agreeKey(const KeyAgreement& agreement) = 0;
};

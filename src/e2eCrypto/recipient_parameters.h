#pragma once
// What a recipient of an envelopedData says about how its content-encryption key was protected, read
// into the terms a RecipientKey works in, and the unwrapping that follows a key agreement.
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/recipient_key.h"

#include <optional>
#include <string_view>

// The padding of a key-transport recipient: PKCS#1 v1.5, or OAEP with SHA-1 or SHA-2 for both its
// digest and MGF1 and an optional label. Nothing for any other algorithm.
std::optional<KeyTransportPadding> keyTransportPadding(CMS_RecipientInfo& recipient);

struct KeyAgreementParameters {
    KeyAgreement agreement;
    const char* wrapCipher; // the key wrap the agreed key is for: "AES-128-WRAP" and so on
};

// A key-agreement recipient of ephemeral-static Diffie-Hellman with the X9.63 derivation (SHA-1 or
// SHA-2) and AES or Triple-DES key wrap, whose sender gave its public key. Nothing for any other scheme.
std::optional<KeyAgreementParameters> keyAgreementParameters(CMS_RecipientInfo& recipient);

// The content-encryption key wrapped under keyEncryptionKey; nothing when the wrap does not check.
std::optional<SecretString> unwrapContentKey(const SecretString& keyEncryptionKey, const char* wrapCipher,
                                             std::string_view wrapped);

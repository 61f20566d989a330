#pragma once
// A recipient's private key held by this process as a library key: what a key file gives, and what
// tests and benchmarks open documents with.
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/recipient_key.h"

class EvpRecipientKey final : public RecipientKey {
public:
    // Takes a reference of its own to key.
    explicit EvpRecipientKey(EVP_PKEY& key);

    Kind kind() const override;
    std::optional<SecretString> decryptKey(std::string_view encryptedKey,
                                           const KeyTransportPadding& padding) override;
    std::optional<SecretString> agreeKey(const KeyAgreement& agreement) override;

private:
    EvpPkeyPtr key_;
};

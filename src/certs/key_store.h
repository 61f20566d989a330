#pragma once
// The user's personal certificate store, in which the private key of a recipient certificate is
// found and used where it lives: the key never leaves the store or the card that holds it.
#include "e2eCrypto/recipient_key.h"
#include "e2eCrypto/secret_string.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// Asks for the password of the store or of a token in it (named tokenName); an empty optional means
// the person cancelled.
using StorePasswordPrompt =
    std::function<std::optional<SecretString>(const std::string& tokenName, bool retry)>;

class KeyStore {
public:
    virtual ~KeyStore() = default;
    // Given the recipient certificate (DER) and the name for messages, returns its private key as the
    // store holds it, usable until the key is released, or throws the store's error records.
    virtual std::unique_ptr<RecipientKey> findRecipientKey(const std::string& certificateDer,
                                                           const std::string& name) = 0;
};

// The NSS shared database in storeDirectory (a "sql:" directory such as ~/.pki/nssdb), with every
// PKCS#11 module registered in it.
std::unique_ptr<KeyStore> openUserKeyStore(const std::string& storeDirectory, StorePasswordPrompt prompt);

// The store directory used when none is given: $QUILLBOX_STORE, else ~/.pki/nssdb.
std::string defaultKeyStoreDirectory();

// The private key of the certificate in certificateText (Base64), from the store; throws on every failure.
std::unique_ptr<RecipientKey> fetchDecryptionKey(const std::string& certificateText, KeyStore& store);

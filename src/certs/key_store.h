#pragma once
// The user's personal certificate store, from which the private key of a recipient certificate is
// exported as a PRIVATEKEYBLOB.
#include "e2eCrypto/secret_string.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// Asks for the store's password; an empty optional means the person cancelled.
using StorePasswordPrompt =
    std::function<std::optional<SecretString>(const std::string& tokenName, bool retry)>;

class KeyStore {
public:
    virtual ~KeyStore() = default;
    // Given the recipient certificate (DER) and the name for messages, returns the PRIVATEKEYBLOB
    // or throws the store's error records.
    virtual SecretString exportPrivateKeyBlob(const std::string& certificateDer, const std::string& name) = 0;
};

// The NSS shared database in storeDirectory (a "sql:" directory such as ~/.pki/nssdb).
std::unique_ptr<KeyStore> openUserKeyStore(const std::string& storeDirectory, StorePasswordPrompt prompt);

// The store directory used when none is given: $QUILLBOX_STORE, else ~/.pki/nssdb.
std::string defaultKeyStoreDirectory();

// The recipient's private key as traditional encrypted PEM under passPhrase; throws on every failure.
SecretString fetchDecryptionKey(const std::string& certificateText, const SecretString& passPhrase,
                                KeyStore& store);

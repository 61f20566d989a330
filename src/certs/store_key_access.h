#pragma once
// The NSS resources of one recipient key from the user's opened store: the certificate found in it
// (in the internal store or on any token registered in it) and its private key, which decrypts or
// agrees on the content key where it lives. When the holder goes, whichever way its use ended, the
// key's token is logged out (so the next layer asks for the password again) and every reference is
// dropped; the database stays open for the next layer.
#include "certs/key_store.h"

#include <cert.h>
#include <keyhi.h>
#include <nss.h>
#include <pk11pub.h>

#include <memory>
#include <string>

template <auto FreeFunction> struct NssDeleter {
    template <typename T> void operator()(T* object) const { FreeFunction(object); }
};

using NssDatabase = std::unique_ptr<NSSInitContext, NssDeleter<NSS_ShutdownContext>>;

// Opens the database in storeDirectory read-only; throws errorDef::error_message
// "Error %x in getting CertList from IE Store" with NSS's error code, then ": ", the folder, ": " and
// NSS's words for the error, when it cannot be opened.
NssDatabase openNssDatabase(const std::string& storeDirectory);

class StoreKeyAccess final : public RecipientKey {
public:
    // Finds the stored certificate identical to certificateDer and its private key, asking for the
    // password of the token that holds it; name is the certificate's name for the messages. Throws
    // the store's records. The database must be open for as long as the holder lives.
    StoreKeyAccess(const StorePasswordPrompt& prompt, const std::string& certificateDer,
                   const std::string& name);
    StoreKeyAccess(const StoreKeyAccess&) = delete;
    StoreKeyAccess& operator=(const StoreKeyAccess&) = delete;
    ~StoreKeyAccess() override;

    Kind kind() const override { return kind_; }
    std::optional<SecretString> decryptKey(std::string_view encryptedKey,
                                           const KeyTransportPadding& padding) override;
    std::optional<SecretString> agreeKey(const KeyAgreement& agreement) override;

    // How often the store's password may be asked for in one fetch.
    static constexpr int passwordAttempts = 3;

private:
    struct PasswordState {
        const StorePasswordPrompt* prompt;
        int attempts = 0;
        bool cancelled = false;
    };
    static char* askPassword(PK11SlotInfo* slot, PRBool retry, void* state);

    void findCertificate(const std::string& certificateDer, const std::string& name);
    void findPrivateKey();
    void checkKey();

    PasswordState password_;
    Kind kind_ = Kind::Rsa;
    // Declared in the order they are taken, so they are released in the reverse one.
    std::unique_ptr<CERTCertificate, NssDeleter<CERT_DestroyCertificate>> certificate_;
    std::unique_ptr<SECKEYPrivateKey, NssDeleter<SECKEY_DestroyPrivateKey>> key_;
    std::unique_ptr<PK11SlotInfo, NssDeleter<PK11_FreeSlot>> slot_;
};

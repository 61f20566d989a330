#pragma once
// The job's library object: verification, decryption and certificate queries run through it.
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/recipient_key.h"
#include "e2eCrypto/secret_string.h"
#include "e2eCrypto/signature_verification.h"
#include "e2eCrypto/verification_store.h"

#include <functional>
#include <string>
#include <string_view>

// Makes the store of CA certificates that signer chains are checked against.
using CaStoreMaker = std::function<X509StorePtr()>;

class CertificateTools {
public:
    // Sets the library up once per process; later objects find it ready.
    explicit CertificateTools(CaStoreMaker makeCaStore = makeVerificationStore);

    // RevocationChoice::Check checks the signer against the CRL file with a CRLChecker.
    SignedContent verifySignature(std::string_view content, DigestSelector digestSelector,
                                  RevocationChoice revocation, const std::string& crlPath) const;
    // Decodes the layer in its own storage, which then receives the content (see ::verifySignature).
    SignedContent verifySignature(std::string&& content, DigestSelector digestSelector,
                                  RevocationChoice revocation, const std::string& crlPath,
                                  ArmourForm form = ArmourForm::Text) const;
    // Mode 1 with the pass phrase as key (see ::decryptData).
    void decryptData(std::string_view input, std::string& output, const SecretString& key,
                     const SecretString& keyPassword, int decryptMode, int keyFormat) const;
    // Mode 3 with the recipient's key where it lives; recipientCertificateDer: the layer's certificate,
    // which picks the envelope's recipient.
    void decryptData(std::string_view input, std::string& output, RecipientKey& key, int decryptMode,
                     int keyFormat, std::string_view recipientCertificateDer = {}) const;
    // The same in the storage of a layer the caller gives up (see ::decryptDataWithin).
    void decryptDataWithin(std::string& buffer, std::string_view input, const SecretString& key,
                           const SecretString& keyPassword, int decryptMode, int keyFormat) const;
    void decryptDataWithin(std::string& buffer, std::string_view input, RecipientKey& key, int decryptMode,
                           int keyFormat, std::string_view recipientCertificateDer = {},
                           ArmourForm form = ArmourForm::Text) const;
    std::string hashPassPhrase(std::string_view passPhrase) const;

    // Tries DER, PEM, password-less PKCS#12, bare Base64 and the Netscape form, in that order.
    X509Ptr loadCertificate(const std::string& source, bool sourceIsFile) const;
    // True when the validity has ended now; sets notYetValidFlag (never clears it) when it has not begun
    // (see validityAt).
    bool isExpired(const std::string& source, bool& notYetValidFlag, bool sourceIsFile) const;
    // "CN=..." of the subject, tag included, or empty.
    std::string commonName(const std::string& source, bool sourceIsFile) const;
    std::string commonName(const X509& certificate) const;

private:
    X509_STORE* caStore() const;

    // Reading the CA certificates is costly, so one object (one job) reads them once, at its first
    // verification, and checks every signer chain with them.
    CaStoreMaker makeCaStore_;
    mutable X509StorePtr caStore_;
};

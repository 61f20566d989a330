#pragma once
// Answers whether one certificate is listed in one certificate revocation list.
#include "e2eCrypto/openssl_handles.h"

#include <string>

class CRLChecker {
public:
    CRLChecker() = default;
    CRLChecker(const CRLChecker&) = delete;
    CRLChecker& operator=(const CRLChecker&) = delete;

    // Keeps its own copy; the caller keeps the original.
    void setCertificate(const X509* certificate);
    // The certificate of the authority that issued the certificate, when it is at hand: the CRL's
    // signature is then checked with it.
    void setIssuerCertificate(const X509* issuer);
    // Loads the CRL (DER, else PEM) from the file at source or from the bytes in source. Returns true
    // or throws; after a throw no CRL is held.
    bool setCRL(const std::string& source, bool sourceIsFile);
    // True when the certificate's serial number is listed. Throws errorDef::error_message when it
    // cannot answer: nothing set, a CRL of another issuer or with a bad signature, an empty list.
    bool isRevoked() const;

private:
    X509Ptr certificate_;
    X509Ptr issuer_;
    X509CrlPtr crl_; // declared last so that it is released first
};

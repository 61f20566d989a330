#pragma once
// Finding a signer's certificate: a name and a serial number can be copied into any certificate, a
// signature made with the signer's key cannot.
#include <openssl/cms.h>

#include <vector>

struct SignerCertificate {
    X509* certificate = nullptr; // null when no candidate names the signer
    bool verified = false;       // its key verifies the signature and the content's digest matches
};

// Tries, in order, the candidates that name signer by issuer and serial number or by subject key
// identifier; the first whose key verifies is the signer's, else the first that names it, so that a
// failed signature still shows whom it claims. Each distinct certificate (by DER) is tried once, at
// most 16 in all, and one with an RSA public exponent longer than 64 bits not at all: a signer whose
// certificate comes later is not verified. Signed attributes must hold one content digest and one
// content type, contentType. The chosen certificate stays set on signer. Throws
// e2eError::error_message "This Digest Type is not supported in this version." when none verifies and
// the library could not check the signature with one of them.
SignerCertificate findSignerCertificate(CMS_SignerInfo* signer, BIO* contentStream,
                                        const ASN1_OBJECT* contentType, const std::vector<X509*>& candidates);

#pragma once
// Verifying a signed layer and describing its signer.
#include "e2eCrypto/signature_verdict.h"
#include "e2eCrypto/verification_state.h"

#include <openssl/x509.h>

#include <functional>
#include <string>
#include <string_view>

// Answers whether the signer certificate is listed in the CRL file; throws errorDef records when it
// cannot answer. Supplied by the certificate code so that this layer needs no CRL reader of its own.
using RevocationCheck = std::function<bool(X509* signer, const std::string& crlPath)>;

struct SignedContent {
    std::string content;      // the signed content, also when the signature does not verify
    SignatureVerdict verdict; // for the result dialog
};

// Throws the error records of a broken layer; a failed signature is a verdict, not an exception.
SignedContent verifySignature(std::string_view content, int digestSelector, int skipRevocation,
                              const std::string& crlPath, const RevocationCheck& revocationCheck);

#pragma once
// The revocation check the verification runs against the person's CRL file.
#include "e2eCrypto/signature_verification.h"

#include <string>

// Whether the CRL at crlPath lists the signer. The CRL's signature is checked with the issuer's
// certificate when that is among the bundled certificates or in the CA store. Throws
// errorDef::error_message when it cannot answer and errorDef::Fatal when memory runs out.
bool checkRevocationWithCrlFile(const RevocationSubject& subject, const std::string& crlPath);

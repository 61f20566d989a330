#pragma once
// The revocation check the verification runs against the person's CRL file.
#include "e2eCrypto/signature_verification.h"

#include <string>

// Whether the CRL at crlPath lists the signer. The issuer's certificates are those, in the CA store
// and then among the bundled certificates, whose key verifies the signer certificate's signature;
// when there are any, the CRL must be signed by one of them, else only its issuer name is compared. Throws
// errorDef::error_message when it cannot answer and errorDef::Fatal when memory runs out.
bool checkRevocationWithCrlFile(const RevocationSubject& subject, const std::string& crlPath);

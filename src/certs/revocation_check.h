#pragma once
// The revocation check the verification runs against the person's CRL file.
#include "e2eCrypto/signature_verification.h"

#include <string>

// What the CRL at crlPath says of the signer. The issuer's certificates are those, in the CA store
// and then among the bundled certificates, whose key verifies the signer certificate's signature;
// only a list signed by one of them can clear the signer, while a listing counts on the issuer's name
// alone (see CRLChecker::isRevoked). A list that was read but cannot decide is Unknown. Throws
// errorDef::error_message when the file gives no list and errorDef::Fatal when memory runs out.
RevocationAnswer checkRevocationWithCrlFile(const RevocationSubject& subject, const std::string& crlPath);

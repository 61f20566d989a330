#pragma once
// The revocation check the verification runs against the person's CRL file.
#include "e2eCrypto/signature_verification.h"

#include <optional>
#include <string>

// What the CRL at crlPath says of the signer. The issuer's certificates are those, in the CA store
// and then among the bundled certificates, whose key verifies the signer certificate's signature;
// only a list signed by one of them can clear the signer, while a listing counts on the issuer's name
// alone (see CRLChecker::isRevoked), judged at subject.checkTime. A list that was read but cannot
// decide is Unknown with its problem; a file that gives no list is Unknown, problem Unreadable.
// Throws errorDef::Fatal when memory runs out.
// Why the file at crlPath gives no CRL (the reader's message), or nullopt when it gives one.
std::optional<std::string> crlFileProblem(const std::string& crlPath);

RevocationAnswer checkRevocationWithCrlFile(const RevocationSubject& subject, const std::string& crlPath);

#pragma once
// A signature verdict as lines of text, in the order the result dialog shows it.
#include "e2eCrypto/signature_verdict.h"

#include <string>

// "SUCCESS" or "FAILED", "This data is digitally signed by:", the signer description indented by
// two spaces, "Signature: Verified", the integrity, validity and revocation texts, and last
// "Certificate chain: trusted (root: <CN>)" or "Certificate chain: no known authority"; each line
// ends in "\n".
std::string verdictBlock(const SignatureVerdict& verdict);

#pragma once
// A signature verdict as lines of text, in the order the result dialog shows it.
#include "e2eCrypto/signature_verdict.h"

#include <string>

// "SUCCESS" or "FAILED", "This data is digitally signed by:", the signer description indented by
// two spaces, "Signature: Verified", then the integrity, validity and revocation texts; each line
// ends in "\n".
std::string verdictBlock(const SignatureVerdict& verdict);

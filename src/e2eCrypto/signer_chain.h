#pragma once
// A signer certificate's chain, as the verification store builds it.
#include "e2eCrypto/signature_verdict.h"

#include <openssl/x509_vfy.h>

#include <ctime>
#include <string>
#include <vector>

struct SignerChain {
    bool trusted = false; // full path validation reaches a root of the store, within the depth limit
    ChainProblem problem = ChainProblem::UnknownAuthority; // None exactly when trusted
    std::vector<std::string> subjects;                     // one-line, signer first, as far as it was built
};

// untrusted holds the certificates the signedData carries (may be null); store is the verification
// store, whose callback sets the depth limit. Every authority's dates are judged at checkTime, its CA
// constraints, the algorithms and keys at security level 1 and the purpose of signing e-mail; the
// signer's own dates are not (they are the verdict's validity line).
SignerChain checkSignerChain(X509_STORE* store, X509* certificate, STACK_OF(X509) * untrusted,
                             std::time_t checkTime);

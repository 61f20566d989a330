#pragma once
// A signer certificate's chain, as the verification store builds it.
#include <openssl/x509_vfy.h>

#include <string>
#include <vector>

struct SignerChain {
    bool acceptable = false;           // no problem more than five certificates above the signer
    bool trusted = false;              // reaches a root of the store with no fault but its dates
    std::vector<std::string> subjects; // one-line, signer first, as far as it was built
};

// untrusted holds the certificates the signedData carries (may be null); store is the verification
// store, whose callback decides what is acceptable.
SignerChain checkSignerChain(X509_STORE* store, X509* certificate, STACK_OF(X509) * untrusted);

#pragma once
// What the verification of one signer collects; reset at its start, read when its verdict is made.
#include "e2eCrypto/signature_verdict.h"

#include <optional>

struct VerificationState {
    bool signatureFailed = false;
    bool certificateExpired = false;
    bool notYetValid = false;
    bool revocationUnknown = true;
    bool certificateRevoked = false;
    std::optional<CrlFacts> crl; // the list the revocation check read, when it read one

    // Whether this signer lets the header read "SUCCESS"; an unknown revocation status does.
    bool passed() const {
        return !signatureFailed && !certificateExpired && !notYetValid && !certificateRevoked;
    }
};

#pragma once
// The flags one verification collects; reset at its start, read when its verdict is made.
struct VerificationState {
    bool signatureFailed = false;
    bool certificateExpired = false;
    bool notYetValid = false;
    bool revocationUnknown = true;
    bool certificateRevoked = false;
};

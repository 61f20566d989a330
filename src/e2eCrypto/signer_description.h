#pragma once
// The signer lines of the result dialog, the signer certificate's date judgement and its revocation
// check.
#include "e2eCrypto/signature_verification.h"
#include "e2eCrypto/verification_state.h"

#include <ctime>
#include <string>

struct RevocationRequest {
    RevocationChoice choice;
    const std::string& crlPath;
    const RevocationCheck& check; // an empty check leaves the status unknown
    X509_STORE* caStore;          // handed to the check; may be null
    std::time_t checkTime;        // the moment every date of this verification is judged at
};

// Describes the signer whose certificate is signer (null when none was found for it), with
// certificates those the signedData carries: name, e-mail, organisation and unit lines, then the
// expiry line (an end date no rule reads is shown as written, and counts as passed); sets the date
// and revocation flags of state and the CRL it read. Returns 0 when it ran to its end, -1 otherwise.
// description is left untouched when the signer certificate is missing, and receives the whole text
// when the revocation check cannot answer (errorDef::error_message and errorDef::Warning are
// absorbed; errorDef::Fatal passes).
int describeSigner(X509* signer, STACK_OF(X509) * certificates, const RevocationRequest& revocation,
                   VerificationState& state, std::string& description);

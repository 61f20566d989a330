#pragma once
// Judging one signer of a signedData: its certificate and signature, its chain, its dates and its
// revocation, with the description and the facts the verdict shows of it.
#include "e2eCrypto/signer_description.h"

#include <openssl/cms.h>

#include <string>
#include <vector>

struct SignerJudgement {
    VerificationState state;
    std::string description;
    SignerFacts facts;
};

// What every signer of one signedData is judged with.
struct SignerInputs {
    BIO* contentStream;                   // the digesting stream, read to its end
    const ASN1_OBJECT* contentType;       // of the encapsulated content
    const std::vector<X509*>& candidates; // the signedData's certificates, then the CA store's
    STACK_OF(X509) * bundledCertificates; // the signedData's certificates (may be null)
    const RevocationRequest& revocation;  // its caStore is the store chains are checked with
};

// Throws what findSignerCertificate and describeSigner let pass.
SignerJudgement judgeSigner(CMS_SignerInfo* signer, const SignerInputs& inputs);

#include "e2eCrypto/signer_judgement.h"

#include "e2eCrypto/error_records.h"
#include "e2eCrypto/signer_certificate.h"
#include "e2eCrypto/signer_chain.h"
#include "e2eCrypto/signer_facts.h"

namespace {

RevocationStatus revocationOf(RevocationChoice choice, const VerificationState& state) {
    if (choice != RevocationChoice::Check) {
        return RevocationStatus::NotChecked;
    }
    if (state.certificateRevoked) {
        return RevocationStatus::Revoked;
    }
    return state.revocationUnknown ? RevocationStatus::Unknown : RevocationStatus::NotRevoked;
}

// A digest whose collisions can be made proves nothing about the content: no verdict at all.
void refuseWeakDigest(CMS_SignerInfo* signer) {
    X509_ALGOR* digest = nullptr;
    CMS_SignerInfo_get0_algs(signer, nullptr, nullptr, &digest, nullptr);
    const ASN1_OBJECT* algorithm = nullptr;
    if (digest != nullptr) {
        X509_ALGOR_get0(&algorithm, nullptr, nullptr, digest);
    }
    const int nid = OBJ_obj2nid(algorithm);
    if (nid == NID_md5 || nid == NID_md4 || nid == NID_md2) {
        throw e2eError::error_message("This Digest Type is not supported in this version.");
    }
}

} // namespace

SignerJudgement judgeSigner(CMS_SignerInfo* signer, const SignerInputs& inputs) {
    refuseWeakDigest(signer);
    SignerJudgement judgement;
    VerificationState& state = judgement.state;
    const SignerCertificate found =
        findSignerCertificate(signer, inputs.contentStream, inputs.contentType, inputs.candidates);
    SignerChain chain;
    if (found.certificate != nullptr) {
        chain = checkSignerChain(inputs.revocation.caStore, found.certificate, inputs.bundledCertificates,
                                 inputs.revocation.checkTime);
    }
    // The chain is a fact of its own: however it ends, it never fails an intact signature.
    state.signatureFailed = !found.verified;
    describeSigner(found.certificate, inputs.bundledCertificates, inputs.revocation, state,
                   judgement.description);

    SignerFacts& facts = judgement.facts;
    facts = signerFacts(signer, found.certificate);
    facts.signatureValid = !state.signatureFailed;
    facts.expired = state.certificateExpired;
    facts.notYetValid = state.notYetValid;
    facts.revocation = revocationOf(inputs.revocation.choice, state);
    facts.crl = state.crl;
    facts.chainTrusted = chain.trusted;
    facts.chainProblem = chain.problem;
    facts.chainSubjects = std::move(chain.subjects);
    return judgement;
}

#include "e2eCrypto/signer_judgement.h"

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

} // namespace

SignerJudgement judgeSigner(CMS_SignerInfo* signer, const SignerInputs& inputs) {
    SignerJudgement judgement;
    VerificationState& state = judgement.state;
    const SignerCertificate found =
        findSignerCertificate(signer, inputs.contentStream, inputs.contentType, inputs.candidates);
    SignerChain chain;
    if (found.certificate != nullptr) {
        chain = checkSignerChain(inputs.revocation.caStore, found.certificate, inputs.bundledCertificates);
    }
    state.signatureFailed = !found.verified || !chain.acceptable;
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
    facts.chainSubjects = std::move(chain.subjects);
    return judgement;
}

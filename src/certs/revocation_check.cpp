#include "certs/revocation_check.h"

#include "certs/crl_checker.h"
#include "e2eCrypto/error_records.h"

#include <openssl/x509v3.h>

#include <utility>
#include <vector>

namespace {

// Only a certificate whose key verifies the signer certificate's own signature is its issuer: a name
// and key identifier can be copied into a certificate by anyone, a signature cannot.
bool issued(X509* certificate, X509* candidate) {
    return X509_NAME_cmp(X509_get_subject_name(candidate), X509_get_issuer_name(certificate)) == 0 &&
           X509_verify(certificate, X509_get0_pubkey(candidate)) == 1;
}

void addIssuersAmong(X509* certificate, STACK_OF(X509) * candidates, std::vector<X509Ptr>& issuers) {
    const int count = candidates == nullptr ? 0 : sk_X509_num(candidates);
    for (int i = 0; i < count; ++i) {
        X509* candidate = sk_X509_value(candidates, i);
        if (issued(certificate, candidate) && X509_up_ref(candidate) == 1) {
            issuers.emplace_back(candidate);
        }
    }
}

CertificateStackPtr storeCertificatesNamed(X509* certificate, X509_STORE* store) {
    if (store == nullptr) {
        return nullptr;
    }
    X509StoreCtxPtr context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store, certificate, nullptr) != 1) {
        return nullptr;
    }
    return CertificateStackPtr(X509_STORE_CTX_get1_certs(context.get(), X509_get_issuer_name(certificate)));
}

// The trusted store is asked first, then the certificates the document brings.
std::vector<X509Ptr> verifiedIssuers(const RevocationSubject& subject) {
    std::vector<X509Ptr> issuers;
    const CertificateStackPtr trusted = storeCertificatesNamed(subject.certificate, subject.caStore);
    addIssuersAmong(subject.certificate, trusted.get(), issuers);
    addIssuersAmong(subject.certificate, subject.bundledCertificates, issuers);
    return issuers;
}

} // namespace

std::optional<std::string> crlFileProblem(const std::string& crlPath) {
    try {
        CRLChecker().setCRL(crlPath, true);
    } catch (const errorDef::error_message& unreadable) {
        return unreadable.message;
    }
    return std::nullopt;
}

RevocationAnswer checkRevocationWithCrlFile(const RevocationSubject& subject, const std::string& crlPath) {
    CRLChecker checker;
    checker.setCertificate(subject.certificate);
    for (const X509Ptr& issuer : verifiedIssuers(subject)) {
        checker.addIssuerCertificate(issuer.get());
    }
    try {
        checker.setCRL(crlPath, true);
    } catch (const errorDef::error_message&) {
        CrlFacts unreadable;
        unreadable.problem = CrlProblem::Unreadable;
        return {.status = RevocationStatus::Unknown, .crl = std::move(unreadable)};
    }
    RevocationAnswer answer{.status = RevocationStatus::Unknown, .crl = checker.facts()};
    try {
        answer.status =
            checker.isRevoked(subject.checkTime) ? RevocationStatus::Revoked : RevocationStatus::NotRevoked;
    } catch (const CrlCannotClear& unable) {
        // Read, but unable to decide: the status stays unknown, with the reason.
        answer.crl->problem = unable.problem;
    }
    return answer;
}

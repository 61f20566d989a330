#include "certs/revocation_check.h"

#include "certs/crl_checker.h"

#include <openssl/x509v3.h>

namespace {

X509Ptr issuerAmong(X509* certificate, STACK_OF(X509) * certificates) {
    const int count = certificates == nullptr ? 0 : sk_X509_num(certificates);
    for (int i = 0; i < count; ++i) {
        X509* candidate = sk_X509_value(certificates, i);
        if (X509_check_issued(candidate, certificate) == X509_V_OK && X509_up_ref(candidate) == 1) {
            return X509Ptr(candidate);
        }
    }
    return nullptr;
}

X509Ptr issuerInStore(X509* certificate, X509_STORE* store) {
    if (store == nullptr) {
        return nullptr;
    }
    X509StoreCtxPtr context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store, certificate, nullptr) != 1) {
        return nullptr;
    }
    X509* issuer = nullptr;
    if (X509_STORE_CTX_get1_issuer(&issuer, context.get(), certificate) != 1) {
        return nullptr;
    }
    return X509Ptr(issuer);
}

} // namespace

bool checkRevocationWithCrlFile(const RevocationSubject& subject, const std::string& crlPath) {
    CRLChecker checker;
    checker.setCertificate(subject.certificate);
    X509Ptr issuer = issuerAmong(subject.certificate, subject.bundledCertificates);
    if (!issuer) {
        issuer = issuerInStore(subject.certificate, subject.caStore);
    }
    if (issuer) {
        checker.setIssuerCertificate(issuer.get());
    }
    checker.setCRL(crlPath, true);
    return checker.isRevoked();
}

#include "certs/crl_checker.h"

#include "certs/source_channel.h"
#include "e2eCrypto/error_records.h"

#include <openssl/pem.h>

#include <algorithm>

namespace {

X509Ptr duplicate(const X509* certificate) {
    X509Ptr copy(X509_dup(certificate));
    if (!copy) {
        throw errorDef::Fatal("System is low in memory");
    }
    return copy;
}

// A CRL is never encrypted; refusing a pass phrase keeps the library from asking on the terminal.
int noPassPhrase(char*, int, int, void*) {
    return -1;
}

X509CrlPtr readCrl(BIO* channel) {
    X509CrlPtr crl(d2i_X509_CRL_bio(channel, nullptr));
    if (crl) {
        return crl;
    }
    BIO_reset(channel);
    return X509CrlPtr(PEM_read_bio_X509_CRL(channel, nullptr, noPassPhrase, nullptr));
}

} // namespace

void CRLChecker::setCertificate(const X509* certificate) {
    certificate_ = duplicate(certificate);
}

void CRLChecker::addIssuerCertificate(const X509* issuer) {
    issuers_.push_back(duplicate(issuer));
}

bool CRLChecker::setCRL(const std::string& source, bool sourceIsFile) {
    crl_.reset();
    const BioPtr channel = openSourceChannel(source, sourceIsFile);
    if (!channel) {
        throw errorDef::error_message("Cannot read data from CRL");
    }
    crl_ = readCrl(channel.get());
    if (!crl_) {
        throw errorDef::error_message("CRL is in unrecognized format.\nTry either DER or PEM formats.");
    }
    return true;
}

bool CRLChecker::signedByAnIssuer() const {
    return std::any_of(issuers_.begin(), issuers_.end(), [this](const X509Ptr& issuer) {
        return X509_CRL_verify(crl_.get(), X509_get0_pubkey(issuer.get())) == 1;
    });
}

bool CRLChecker::isRevoked() const {
    if (!certificate_ || !crl_) {
        throw errorDef::error_message(
            "CRL or Certificate is not set.\nCall setCRL() and setCertificate()\nbefore crl check");
    }
    // Only the certificate's own authority can revoke it.
    if (X509_NAME_cmp(X509_CRL_get_issuer(crl_.get()), X509_get_issuer_name(certificate_.get())) != 0) {
        throw errorDef::error_message("CRL was not issued by the authority of the certificate");
    }
    if (!issuers_.empty() && !signedByAnIssuer()) {
        throw errorDef::error_message("CRL signature does not match the certificate of its issuer");
    }
    STACK_OF(X509_REVOKED)* revoked = X509_CRL_get_REVOKED(crl_.get());
    const int count = revoked == nullptr ? 0 : sk_X509_REVOKED_num(revoked);
    if (count <= 0) {
        throw errorDef::error_message("No revoked certificate present in CRL");
    }
    const ASN1_INTEGER* serial = X509_get0_serialNumber(certificate_.get());
    for (int i = 0; i < count; ++i) {
        // Compared as encoded strings: a negative serial never matches its positive twin.
        if (ASN1_STRING_cmp(serial, X509_REVOKED_get0_serialNumber(sk_X509_REVOKED_value(revoked, i))) == 0) {
            return true;
        }
    }
    return false;
}

#include "certs/crl_checker.h"

#include "certs/crl_scope.h"
#include "certs/source_channel.h"
#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/subject_line.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

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

using GeneralNamesPtr = std::unique_ptr<GENERAL_NAMES, OpenSslDeleter<GENERAL_NAMES_free>>;

bool namesDirectory(const GENERAL_NAMES* names, const X509_NAME* directory) {
    for (int i = 0; i < sk_GENERAL_NAME_num(names); ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, i);
        if (name->type == GEN_DIRNAME && X509_NAME_cmp(name->d.directoryName, directory) == 0) {
            return true;
        }
    }
    return false;
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

// The issuer an entry speaks for: the CRL's own, unless a certificate-issuer extension on it or on an
// earlier entry names others.
bool CRLChecker::listsCertificate() const {
    const ASN1_INTEGER* serial = X509_get0_serialNumber(certificate_.get());
    const X509_NAME* issuer = X509_get_issuer_name(certificate_.get());
    STACK_OF(X509_REVOKED)* revoked = X509_CRL_get_REVOKED(crl_.get());
    GeneralNamesPtr entryIssuers;
    for (int i = 0; i < sk_X509_REVOKED_num(revoked); ++i) {
        const X509_REVOKED* entry = sk_X509_REVOKED_value(revoked, i);
        if (GeneralNamesPtr named{static_cast<GENERAL_NAMES*>(
                X509_REVOKED_get_ext_d2i(entry, NID_certificate_issuer, nullptr, nullptr))}) {
            entryIssuers = std::move(named);
        }
        // Compared as encoded strings: a negative serial never matches its positive twin.
        if (ASN1_STRING_cmp(serial, X509_REVOKED_get0_serialNumber(entry)) == 0 &&
            (!entryIssuers || namesDirectory(entryIssuers.get(), issuer))) {
            return true;
        }
    }
    return false;
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
    const bool signatureVerified = signedByAnIssuer();
    if (!issuers_.empty() && !signatureVerified) {
        throw errorDef::error_message("CRL signature does not match the certificate of its issuer");
    }
    STACK_OF(X509_REVOKED)* revoked = X509_CRL_get_REVOKED(crl_.get());
    if (revoked == nullptr || sk_X509_REVOKED_num(revoked) <= 0) {
        throw errorDef::error_message("No revoked certificate present in CRL");
    }
    // A listing counts on the issuer's name alone; clearing takes the issuer's key and a whole list.
    if (listsCertificate()) {
        return true;
    }
    if (!signatureVerified) {
        throw errorDef::error_message(
            "CRL signature cannot be checked without the certificate of its issuer");
    }
    if (const char* limit = crlScopeLimit(*crl_, *certificate_)) {
        throw errorDef::error_message(limit);
    }
    return false;
}

CrlFacts CRLChecker::facts() const {
    return {.issuer = subjectOneLine(X509_CRL_get_issuer(crl_.get())),
            .thisUpdate = isoUtcTime(X509_CRL_get0_lastUpdate(crl_.get())),
            .nextUpdate = isoUtcTime(X509_CRL_get0_nextUpdate(crl_.get()))};
}

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

// An entry that takes a certificate off the list (off hold, in a delta list): it revokes nothing.
bool removesFromList(const X509_REVOKED* entry) {
    const std::unique_ptr<ASN1_ENUMERATED, OpenSslDeleter<ASN1_ENUMERATED_free>> reason(
        static_cast<ASN1_ENUMERATED*>(X509_REVOKED_get_ext_d2i(entry, NID_crl_reason, nullptr, nullptr)));
    return reason && ASN1_ENUMERATED_get(reason.get()) == CRL_REASON_REMOVE_FROM_CRL;
}

// Current at the moment: begun, and not past its next update. A date that cannot be read never
// makes a list current.
CrlProblem currency(const X509_CRL& crl, std::time_t moment) {
    if (compareWithTime(X509_CRL_get0_lastUpdate(&crl), moment) != -1) {
        return CrlProblem::NotYetValid;
    }
    const ASN1_TIME* next = X509_CRL_get0_nextUpdate(&crl);
    if (next != nullptr && compareWithTime(next, moment) != 1) {
        return CrlProblem::Stale;
    }
    return CrlProblem::None;
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

// With mayOnlySignCrls, only an issuer certificate whose keyUsage (when it has one) allows CRL
// signing counts.
bool CRLChecker::signedBy(bool mayOnlySignCrls) const {
    return std::any_of(issuers_.begin(), issuers_.end(), [this, mayOnlySignCrls](const X509Ptr& issuer) {
        return (!mayOnlySignCrls || (X509_get_key_usage(issuer.get()) & KU_CRL_SIGN) != 0) &&
               X509_CRL_verify(crl_.get(), X509_get0_pubkey(issuer.get())) == 1;
    });
}

// The issuer an entry speaks for: the CRL's own, unless a certificate-issuer extension on it or on an
// earlier entry names others.
CRLChecker::Listing CRLChecker::listing() const {
    const ASN1_INTEGER* serial = X509_get0_serialNumber(certificate_.get());
    const X509_NAME* issuer = X509_get_issuer_name(certificate_.get());
    STACK_OF(X509_REVOKED)* revoked = X509_CRL_get_REVOKED(crl_.get());
    GeneralNamesPtr entryIssuers;
    Listing found = Listing::Absent;
    for (int i = 0; i < sk_X509_REVOKED_num(revoked); ++i) {
        const X509_REVOKED* entry = sk_X509_REVOKED_value(revoked, i);
        if (GeneralNamesPtr named{static_cast<GENERAL_NAMES*>(
                X509_REVOKED_get_ext_d2i(entry, NID_certificate_issuer, nullptr, nullptr))}) {
            entryIssuers = std::move(named);
        }
        // Compared as encoded strings: a negative serial never matches its positive twin.
        if (ASN1_STRING_cmp(serial, X509_REVOKED_get0_serialNumber(entry)) == 0 &&
            (!entryIssuers || namesDirectory(entryIssuers.get(), issuer))) {
            if (!removesFromList(entry)) {
                return Listing::Listed;
            }
            found = Listing::TakenOff; // a later entry may still list it
        }
    }
    return found;
}

bool CRLChecker::isRevoked(std::time_t checkTime) const {
    if (!certificate_ || !crl_) {
        throw errorDef::error_message(
            "CRL or Certificate is not set.\nCall setCRL() and setCertificate()\nbefore crl check");
    }
    // Only the certificate's own authority can revoke it.
    if (X509_NAME_cmp(X509_CRL_get_issuer(crl_.get()), X509_get_issuer_name(certificate_.get())) != 0) {
        throw CrlCannotClear("CRL was not issued by the authority of the certificate", CrlProblem::Scope);
    }
    const bool signatureVerified = signedBy(false);
    if (!issuers_.empty() && !signatureVerified) {
        throw CrlCannotClear("CRL signature does not match the certificate of its issuer", CrlProblem::None);
    }
    STACK_OF(X509_REVOKED)* revoked = X509_CRL_get_REVOKED(crl_.get());
    if (revoked == nullptr || sk_X509_REVOKED_num(revoked) <= 0) {
        throw CrlCannotClear("No revoked certificate present in CRL", CrlProblem::None);
    }
    // A listing counts on the issuer's name alone, whatever the list's dates; clearing takes the
    // issuer's key, a current list and a whole one.
    const Listing listed = listing();
    if (listed == Listing::Listed) {
        return true;
    }
    // Only a delta list may take a certificate off; a whole list that does so has its own record of
    // the certificate wrong, so it clears nothing.
    if (listed == Listing::TakenOff) {
        throw CrlCannotClear("CRL takes the certificate off the list, which only a delta CRL may do",
                             CrlProblem::Scope);
    }
    if (!signatureVerified) {
        throw CrlCannotClear("CRL signature cannot be checked without the certificate of its issuer",
                             CrlProblem::None);
    }
    if (!signedBy(true)) {
        throw CrlCannotClear("CRL issuer's certificate does not allow CRL signing",
                             CrlProblem::IssuerCannotSignCrls);
    }
    if (const CrlProblem problem = currency(*crl_, checkTime); problem != CrlProblem::None) {
        throw CrlCannotClear(
            problem == CrlProblem::Stale ? "CRL is past its next update" : "CRL is not yet valid", problem);
    }
    if (const char* limit = crlScopeLimit(*crl_, *certificate_)) {
        throw CrlCannotClear(limit, CrlProblem::Scope);
    }
    return false;
}

CrlFacts CRLChecker::facts() const {
    return {.issuer = subjectOneLine(X509_CRL_get_issuer(crl_.get())),
            .thisUpdate = isoUtcTime(X509_CRL_get0_lastUpdate(crl_.get())),
            .nextUpdate = isoUtcTime(X509_CRL_get0_nextUpdate(crl_.get()))};
}

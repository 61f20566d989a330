#pragma once
// Answers whether one certificate is listed in one certificate revocation list.
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/signature_verdict.h"

#include "e2eCrypto/error_records.h"

#include <ctime>
#include <string>
#include <vector>

// A list that was read but cannot clear the certificate, with the reason scripts are given (None
// when no reason of theirs applies, e.g. a signature that does not verify).
struct CrlCannotClear : errorDef::error_message {
    CrlCannotClear(std::string text, CrlProblem why)
        : errorDef::error_message(std::move(text)), problem(why) {}
    CrlProblem problem;
};

class CRLChecker {
public:
    CRLChecker() = default;
    CRLChecker(const CRLChecker&) = delete;
    CRLChecker& operator=(const CRLChecker&) = delete;

    // Keeps its own copy; the caller keeps the original.
    void setCertificate(const X509* certificate);
    // A certificate of the authority that issued the certificate, when one is at hand: the CRL's
    // signature must then verify with one of those added.
    void addIssuerCertificate(const X509* issuer);
    // Loads the CRL (DER, else PEM) from the file at source or from the bytes in source. Returns true
    // or throws; after a throw no CRL is held.
    bool setCRL(const std::string& source, bool sourceIsFile);
    // True when the certificate's serial number is listed for the certificate's issuer (an entry
    // whose reason is removeFromCRL lists nothing, and the list then cannot clear it). False only when the
    // list may clear it: its signature verifies with an issuer certificate that was added and whose keyUsage,
    // when it has one, allows CRL signing; it is current at checkTime (thisUpdate not after it, nextUpdate,
    // when given, after it); and it is complete for the certificate (see crlScopeLimit). Throws
    // errorDef::error_message when nothing is set, and CrlCannotClear when it cannot answer: a CRL
    // of another issuer or with a bad signature, an empty list, a list that does not list the
    // certificate and cannot clear it.
    bool isRevoked(std::time_t checkTime) const;
    // The loaded list's issuer and update times; requires a list.
    CrlFacts facts() const;

private:
    bool signedBy(bool mayOnlySignCrls) const;
    enum class Listing { Absent, Listed, TakenOff }; // TakenOff: an entry with reason removeFromCRL
    Listing listing() const;

    X509Ptr certificate_;
    std::vector<X509Ptr> issuers_;
    X509CrlPtr crl_; // declared last so that it is released first
};

#pragma once
// What the signature result dialog shows: filled by verification, drawn by a front end.
#include <optional>
#include <string>
#include <vector>

enum class VerdictIcon : int {
    BlueTick = 172,    // status Good
    RedCross = 182,    // header "FAILED", status Bad
    GreenTick = 183,   // header "SUCCESS"
    Information = 184, // status Unknown
};

// How one line of the verdict came out; the numbers are the status values the dialog is given.
enum class VerdictStatus {
    Unknown = 0, // information balloon
    Good = 1,    // blue tick
    Bad = 2,     // red cross
};

// A signer's revocation as scripts read it; NotChecked when the person chose no CRL check.
enum class RevocationStatus { NotChecked, NotRevoked, Revoked, Unknown };

// Why a CRL that was named could not clear the signer; None when nothing in its use stood in the way.
enum class CrlProblem {
    None,
    Stale,                // its nextUpdate has passed (or cannot be read)
    NotYetValid,          // its thisUpdate lies ahead (or cannot be read)
    IssuerCannotSignCrls, // signed by a key whose certificate's keyUsage leaves out cRLSign
    Scope,                // not a whole list of the signer's own authority
    Unreadable,           // the file cannot be read or holds no CRL
};

// The CRL a signer was checked against; times in ISO 8601 UTC ("" when absent or not read).
struct CrlFacts {
    std::string issuer;
    std::string thisUpdate;
    std::string nextUpdate;
    CrlProblem problem = CrlProblem::None;
};

// Why a chain is not trusted; None for a trusted one.
enum class ChainProblem {
    None,
    UnknownAuthority,     // reaches no root of the CA store
    ExpiredAuthority,     // an authority's end date lies at or before the check time
    NotYetValidAuthority, // an authority's start date lies after it
    WeakAlgorithm,        // a signature algorithm or key below security level 1 (MD5 always)
    NotACa,               // an authority without cA, keyCertSign, or past its path length
    UnfitForSigning,      // keyUsage or extendedKeyUsage that leaves out signing e-mail
    TooLong,              // longer than the verification's depth limit
};

// One attribute of a certificate name: the library's short name ("CN", "emailAddress") and the value
// as UTF-8 text (a byte of a value that is not well-formed in its string type reads U+FFFD).
struct NameAttribute {
    std::string name;
    std::string value;
};

// What one signer's checks found, for the command line's JSON and the desktop's Details view.
// Names are whole, in the one-line form with "\\" and "\/" inside values; times ISO 8601 UTC
// (YYYY-MM-DDTHH:MM:SSZ); algorithms by OpenSSL's short names.
struct SignerFacts {
    std::string subject;
    std::string issuer;
    std::vector<NameAttribute> subjectAttributes; // in the certificate's order
    std::vector<NameAttribute> issuerAttributes;
    std::string serial; // lower-case hex, whole bytes ("00" for zero)
    std::string sha256; // of the certificate's DER, 64 lower-case hex digits
    std::string notBefore;
    std::string notAfter;
    std::optional<std::string> signingTime;
    std::string digest;
    std::string signatureAlgorithm;
    bool signatureValid = false;
    bool expired = false;
    bool notYetValid = false;
    RevocationStatus revocation = RevocationStatus::NotChecked;
    std::optional<CrlFacts> crl;
    bool chainTrusted = false; // full path validation reaches a root of the CA store used
    ChainProblem chainProblem = ChainProblem::UnknownAuthority; // None exactly when chainTrusted
    std::vector<std::string> chainSubjects;                     // the path, signer first
};

struct SignatureVerdict {
    std::string header; // "SUCCESS" or "FAILED"
    VerdictIcon headerIcon = VerdictIcon::GreenTick;
    std::string description;   // the signer description, lines ended by "\n"
    std::string signatureText; // "Verified" / "Not Verified"
    std::string integrityText;
    std::string validityText;
    std::string revocationText;
    VerdictStatus integrityStatus = VerdictStatus::Good;
    VerdictStatus validityStatus = VerdictStatus::Good;
    VerdictStatus revocationStatus = VerdictStatus::Good;
    VerdictStatus signatureStatus = VerdictStatus::Good;
    std::vector<SignerFacts> signers; // one per signer, in the document's order
};

// The icon a status is shown with; any value but Good and Bad gets the information balloon.
inline VerdictIcon statusIcon(VerdictStatus status) {
    return status == VerdictStatus::Good  ? VerdictIcon::BlueTick
           : status == VerdictStatus::Bad ? VerdictIcon::RedCross
                                          : VerdictIcon::Information;
}

// The names scripts read: "stale", "not-yet-valid", ...; "" for None.
const char* crlProblemName(CrlProblem problem);
// "unknown-authority", "expired-authority", ...; "" for None.
const char* chainProblemName(ChainProblem problem);
// The reason in words, for "Certificate chain: not trusted (...)"; "" for None.
const char* chainProblemWords(ChainProblem problem);

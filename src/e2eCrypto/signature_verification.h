#pragma once
// Verifying a signed layer and describing its signer.
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/revocation_choice.h"
#include "e2eCrypto/signature_verdict.h"
#include "e2eCrypto/verification_state.h"

#include <openssl/x509.h>

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The signer certificate, and where the certificate of its CRL's issuer may be found: among the
// certificates the signedData carries and in the CA store the chain was checked with (either may be
// null), and the moment the list is judged at.
struct RevocationSubject {
    X509* certificate = nullptr;
    STACK_OF(X509) * bundledCertificates = nullptr;
    X509_STORE* caStore = nullptr;
    std::time_t checkTime = 0;
};

// What the CRL file says of the signer certificate: Revoked, NotRevoked, or Unknown when the list
// was read but cannot clear the certificate; crl describes the list that was read.
struct RevocationAnswer {
    RevocationStatus status = RevocationStatus::Unknown;
    std::optional<CrlFacts> crl{};
};

// Looks the signer certificate up in the CRL file; a file that gives no list is Unknown with the
// problem Unreadable (a check may also throw errorDef records, which leave the status unknown). Supplied by
// the certificate code so that this layer needs no CRL reader of its own.
using RevocationCheck =
    std::function<RevocationAnswer(const RevocationSubject& subject, const std::string& crlPath)>;

// The digest a caller asks for. Either is accepted; the digests checked are those the signedData
// names.
enum class DigestSelector { Sha1 = 1, Md5 = 2 };

struct SignedContent {
    std::string content;      // the signed content, also when the signature does not verify
    SignatureVerdict verdict; // for the result dialog
};

// Throws the error records of a broken layer; a failed signature is a verdict, not an exception.
// A digestSelector other than the two named ones (a number converted to the type), a signature the
// library has no way to check, and a signer whose content digest is MD5, MD4 or MD2 are refused as a
// digest type not supported. Every signer is
// judged (signature, chain, dates, revocation) at checkTime(), read once; the verdict's lines are those of
// the first signer that failed, else of the first, and verdict.signers holds the facts of each.
// RevocationChoice::Check runs revocationCheck against crlPath for each signer; an empty check
// leaves the status unknown.
// caStore is the store the chains are checked with (see makeVerificationStore); when null, one is
// made for this call.
SignedContent verifySignature(std::string_view content, DigestSelector digestSelector,
                              RevocationChoice revocation, const std::string& crlPath,
                              const RevocationCheck& revocationCheck, X509_STORE* caStore = nullptr);
// The same for a layer the caller gives up: it is decoded in its own storage, which then receives the
// content, so a large document is held at most twice (there and in the parsed structure). It is left
// empty once its decoding has begun; a layer refused before that is left as it was. A layer in
// ArmourForm::Decoded is the armour's DER, never empty.
SignedContent verifySignature(std::string&& content, DigestSelector digestSelector,
                              RevocationChoice revocation, const std::string& crlPath,
                              const RevocationCheck& revocationCheck, X509_STORE* caStore = nullptr,
                              ArmourForm form = ArmourForm::Text);

// The verdict the flags of one verification give; later judgements overwrite the header of earlier
// ones, and an unknown revocation status never fails the document.
SignatureVerdict makeSignatureVerdict(const VerificationState& state, std::string description);

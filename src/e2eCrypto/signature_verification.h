#pragma once
// Verifying a signed layer and describing its signer.
#include "e2eCrypto/revocation_choice.h"
#include "e2eCrypto/signature_verdict.h"
#include "e2eCrypto/verification_state.h"

#include <openssl/x509.h>

#include <functional>
#include <string>
#include <string_view>

// The signer certificate, and where the certificate of its CRL's issuer may be found: among the
// certificates the signedData carries and in the CA store the chain was checked with (either may be
// null).
struct RevocationSubject {
    X509* certificate = nullptr;
    STACK_OF(X509) * bundledCertificates = nullptr;
    X509_STORE* caStore = nullptr;
};

// Answers whether the signer certificate is listed in the CRL file; throws errorDef records when it
// cannot answer. Supplied by the certificate code so that this layer needs no CRL reader of its own.
using RevocationCheck = std::function<bool(const RevocationSubject& subject, const std::string& crlPath)>;

// The digest a caller asks for. Either is accepted; the digests checked are those the signedData
// names.
enum class DigestSelector { Sha1 = 1, Md5 = 2 };

struct SignedContent {
    std::string content;      // the signed content, also when the signature does not verify
    SignatureVerdict verdict; // for the result dialog
};

// Throws the error records of a broken layer; a failed signature is a verdict, not an exception.
// A digestSelector other than the two named ones (a number converted to the type) is refused.
// RevocationChoice::Check runs revocationCheck against crlPath; an empty check leaves the status
// unknown.
// caStore is the store the chains are checked with (see makeVerificationStore); when null, one is
// made for this call.
SignedContent verifySignature(std::string_view content, DigestSelector digestSelector,
                              RevocationChoice revocation, const std::string& crlPath,
                              const RevocationCheck& revocationCheck, X509_STORE* caStore = nullptr);
// The same for a layer the caller gives up: it is decoded in its own storage, which then receives the
// content, so a large document is held at most twice (there and in the parsed structure). It is left
// empty once its decoding has begun; a layer refused before that is left as it was.
SignedContent verifySignature(std::string&& content, DigestSelector digestSelector,
                              RevocationChoice revocation, const std::string& crlPath,
                              const RevocationCheck& revocationCheck, X509_STORE* caStore = nullptr);

// The verdict the flags of one verification give; later judgements overwrite the header of earlier
// ones, and an unknown revocation status never fails the document.
SignatureVerdict makeSignatureVerdict(const VerificationState& state, std::string description);

#include "e2eCrypto/signature_verification.h"

#include "e2eCrypto/check_time.h"
#include "e2eCrypto/detached_content.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/library_memory.h"
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/signer_judgement.h"
#include "e2eCrypto/verification_store.h"
#include "platform/work_progress.h"

#include <openssl/err.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// The content is pulled through the digesting stream in pieces of this size.
constexpr std::size_t readPiece = 307200;

[[noreturn]] void throwIncompatible() {
    throw e2eError::error_message("Incompatible Signature Format. Cannot Verify");
}

// Also what a document too large for memory gives.
[[noreturn]] void throwOutOfMemory() {
    throw e2eError::error_message("Insufficient System Memory");
}

void checkDigestSelector(DigestSelector digestSelector) {
    // Only the digests the signedData names are checked; the selector merely has to be a known one.
    switch (digestSelector) {
    case DigestSelector::Sha1:
    case DigestSelector::Md5:
        return;
    }
    throw e2eError::error_message("This Digest Type is not supported in this version.");
}

// Null when the DER does not parse.
CmsPtr parseDer(std::string_view der) {
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
    clearLibraryErrors();
    return CmsPtr(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size())));
}

// The structure, and where its content lies in the DER when it was parsed without it (else the
// structure holds its content).
struct ParsedSignedData {
    CmsPtr structure;
    std::optional<DetachedContent> detached;
};

// A signedData laid out plainly is parsed without its content, which then stays where it was decoded:
// the structure around it parses exactly when the whole DER does. Anything else, and a structure the
// library rejects without its content, is parsed whole, which says why it fails.
ParsedSignedData parseSignedData(std::string_view der) {
    if (der.size() > static_cast<std::size_t>(LONG_MAX)) {
        throw errorDef::error_message("Invalid Signature Format");
    }
    std::optional<DetachedContent> detached = detachSignedContent(der);
    if (detached && detached->length <= static_cast<std::size_t>(INT_MAX)) {
        if (CmsPtr skeleton = parseDer(detached->skeleton)) {
            return {std::move(skeleton), std::move(detached)};
        }
    }
    CmsPtr structure = parseDer(der);
    if (!structure) {
        if (libraryRanOutOfMemory()) {
            throwOutOfMemory();
        }
        throw errorDef::error_message("Invalid Signature Format");
    }
    return {std::move(structure), std::nullopt};
}

// Reads the content stream to its end, which is what computes the digests, putting each piece where
// destination(bytes read so far) says (room for readPiece bytes). Returns the bytes read.
std::size_t readThrough(BIO* stream, std::size_t expected,
                        const std::function<char*(std::size_t)>& destination) {
    const WorkPass pass(WorkStage::Verifying, expected);
    std::size_t total = 0;
    for (;;) {
        const int got = BIO_read(stream, destination(total), static_cast<int>(readPiece));
        if (got <= 0) {
            return total;
        }
        total += static_cast<std::size_t>(got);
        pass.advance(static_cast<std::uint64_t>(got));
    }
}

// Makes buffer the content. Parsed without it, the content lies in buffer and only passes through
// the digests; otherwise the structure holds it, and buffer's storage (the DER's, no longer needed and
// at least as large) receives it. Either way the document is never copied a second time. Empty content
// is content: the verdict is given, and the job says there is nothing to save.
void takeContent(BIO* stream, const ParsedSignedData& parsed, std::string& buffer) {
    std::size_t total = 0;
    if (parsed.detached) {
        std::string piece(readPiece, '\0');
        total = readThrough(stream, parsed.detached->length, [&piece](std::size_t) { return piece.data(); });
        buffer.erase(0, parsed.detached->offset);
        buffer.resize(parsed.detached->length);
    } else {
        total = readThrough(stream, buffer.size(), [&buffer](std::size_t done) {
            if (done + readPiece > buffer.size()) {
                buffer.resize(done + readPiece);
            }
            return buffer.data() + done;
        });
        buffer.resize(total);
    }
}

// Signed content, and the plain or digested content that earlier readers also gave back (unverified).
// Other structures, envelopes above all, have no content the digesting stream can give.
bool carriesReadableContent(const CMS_ContentInfo& structure) {
    switch (OBJ_obj2nid(CMS_get0_type(&structure))) {
    case NID_pkcs7_signed:
    case NID_pkcs7_data:
    case NID_pkcs7_digest:
        return true;
    default:
        return false;
    }
}

BioPtr memoryStream(std::string_view bytes) {
    BioPtr stream(BIO_new_mem_buf(bytes.data(), static_cast<int>(bytes.size())));
    if (!stream) {
        throwOutOfMemory();
    }
    return stream;
}

// The content the structure holds; empty when it holds none.
std::string_view heldContent(CMS_ContentInfo& structure) {
    ASN1_OCTET_STRING** content = CMS_get0_content(&structure);
    if (content == nullptr || *content == nullptr) {
        return {};
    }
    return {reinterpret_cast<const char*>(ASN1_STRING_get0_data(*content)),
            static_cast<std::size_t>(std::max(ASN1_STRING_length(*content), 0))};
}

// The digesting stream over the content, which the structure holds or, parsed without it, der. A
// signedData without signers may name no digest either, and the library makes no stream for it then:
// its content is read as it stands.
BioPtr contentStream(const ParsedSignedData& parsed, std::string_view der, int signerCount) {
    CMS_ContentInfo& structure = *parsed.structure;
    const std::string_view content = parsed.detached
                                         ? der.substr(parsed.detached->offset, parsed.detached->length)
                                         : heldContent(structure);
    BioPtr supplied = parsed.detached ? memoryStream(content) : nullptr;
    BioPtr stream(CMS_dataInit(&structure, supplied.get()));
    if (stream) {
        static_cast<void>(supplied.release()); // now the end of stream's chain
        return stream;
    }
    if (signerCount > 0 || content.empty()) {
        return nullptr;
    }
    return supplied ? std::move(supplied) : memoryStream(content);
}

// The certificates a signer may be named by: those the signedData carries, then the CA store's.
std::vector<X509*> candidateCertificates(STACK_OF(X509) * carried, STACK_OF(X509) * stored) {
    std::vector<X509*> candidates;
    for (STACK_OF(X509) * certificates : {carried, stored}) {
        for (int i = 0; certificates != nullptr && i < sk_X509_num(certificates); ++i) {
            candidates.push_back(sk_X509_value(certificates, i));
        }
    }
    return candidates;
}

// The block describes the first signer that failed, else the first, so the header reads "SUCCESS"
// only when every signer passed. A signedData without any signer proves nothing and fails.
SignatureVerdict verdictOfSigners(std::vector<SignerJudgement> judgements) {
    if (judgements.empty()) {
        VerificationState nobody;
        nobody.signatureFailed = true;
        return makeSignatureVerdict(nobody, {});
    }
    auto shown = std::find_if(judgements.begin(), judgements.end(),
                              [](const SignerJudgement& judgement) { return !judgement.state.passed(); });
    if (shown == judgements.end()) {
        shown = judgements.begin();
    }
    SignatureVerdict verdict = makeSignatureVerdict(shown->state, std::move(shown->description));
    for (SignerJudgement& judgement : judgements) {
        verdict.signers.push_back(std::move(judgement.facts));
    }
    return verdict;
}

constexpr const char* notSigned = "Invalid format for a signed file";
constexpr const char* badArmour = "Invalid signature format";

void checkSignedLayer(std::string_view content, DigestSelector digestSelector) {
    if (content.empty()) {
        throw e2eError::error_message("Neccessary fields needed to VERIFY are not given");
    }
    checkDigestSelector(digestSelector);
}

SignedContent verifyDer(std::string buffer, RevocationChoice revocation, const std::string& crlPath,
                        const RevocationCheck& revocationCheck, X509_STORE* caStore) {
    const ParsedSignedData parsed = parseSignedData(buffer);
    CMS_ContentInfo* structure = parsed.structure.get();
    X509StorePtr ownStore;
    if (caStore == nullptr) {
        ownStore = makeVerificationStore();
        if (!ownStore) {
            throwOutOfMemory();
        }
        caStore = ownStore.get();
    }
    ERR_clear_error();
    if (!carriesReadableContent(*structure)) {
        throwIncompatible();
    }
    if (CMS_is_detached(structure) == 1) {
        throw e2eError::error_message("Invalid Signature Format");
    }
    STACK_OF(CMS_SignerInfo)* signers = CMS_get0_SignerInfos(structure);
    const int signerCount = signers == nullptr ? 0 : sk_CMS_SignerInfo_num(signers);
    const BioPtr stream = contentStream(parsed, buffer, signerCount);
    if (!stream) {
        throwIncompatible();
    }
    takeContent(stream.get(), parsed, buffer);

    const CertificateStackPtr certificates(CMS_get1_certs(structure));
    const CertificateStackPtr storeCertificates(X509_STORE_get1_all_certs(caStore));
    const std::vector<X509*> candidates = candidateCertificates(certificates.get(), storeCertificates.get());
    const RevocationRequest request{revocation, crlPath, revocationCheck, caStore, checkTime()};
    const SignerInputs inputs{stream.get(), CMS_get0_eContentType(structure), candidates, certificates.get(),
                              request};
    std::vector<SignerJudgement> judgements;
    for (int i = 0; i < signerCount; ++i) {
        judgements.push_back(judgeSigner(sk_CMS_SignerInfo_value(signers, i), inputs));
    }
    ERR_clear_error();
    return SignedContent{std::move(buffer), verdictOfSigners(std::move(judgements))};
}

} // namespace

SignatureVerdict makeSignatureVerdict(const VerificationState& state, std::string description) {
    SignatureVerdict verdict;
    verdict.description = std::move(description);
    const auto fail = [&verdict] {
        verdict.header = "FAILED";
        verdict.headerIcon = VerdictIcon::RedCross;
    };
    if (state.signatureFailed) {
        fail();
        verdict.signatureText = "Not Verified";
        verdict.integrityText = "Contents Altered after message was signed";
        verdict.integrityStatus = VerdictStatus::Bad;
        verdict.signatureStatus = VerdictStatus::Bad;
    } else {
        verdict.header = "SUCCESS";
        verdict.headerIcon = VerdictIcon::GreenTick;
        verdict.signatureText = "Verified";
        verdict.integrityText = "Contents not altered after message was signed";
        verdict.integrityStatus = VerdictStatus::Good;
        verdict.signatureStatus = VerdictStatus::Good;
    }
    if (state.certificateExpired) {
        fail();
        verdict.validityText = "Certificate Expired";
        verdict.validityStatus = VerdictStatus::Bad;
    } else {
        verdict.validityText = "Certificate not expired";
        verdict.validityStatus = VerdictStatus::Good;
    }
    if (state.notYetValid) {
        fail();
        verdict.validityText = "Signer certificate is not yet valid";
        verdict.validityStatus = VerdictStatus::Bad;
    }
    if (state.certificateRevoked) {
        fail();
        verdict.revocationText = "Signer Certificate is REVOKED";
        verdict.revocationStatus = VerdictStatus::Bad;
    } else if (state.revocationUnknown) {
        // Not knowing is no reason to fail the document.
        verdict.revocationText = "Certificate revocation status unknown";
        verdict.revocationStatus = VerdictStatus::Unknown;
    } else {
        verdict.revocationText = "Certificate is NOT REVOKED";
        verdict.revocationStatus = VerdictStatus::Good;
    }
    return verdict;
}

SignedContent verifySignature(std::string_view content, DigestSelector digestSelector,
                              RevocationChoice revocation, const std::string& crlPath,
                              const RevocationCheck& revocationCheck, X509_STORE* caStore) {
    try {
        checkSignedLayer(content, digestSelector);
        return verifyDer(decodePkcs7Armour(content, notSigned, badArmour), revocation, crlPath,
                         revocationCheck, caStore);
    } catch (const std::bad_alloc&) {
        throwOutOfMemory();
    }
}

SignedContent verifySignature(std::string&& content, DigestSelector digestSelector,
                              RevocationChoice revocation, const std::string& crlPath,
                              const RevocationCheck& revocationCheck, X509_STORE* caStore, ArmourForm form) {
    try {
        checkSignedLayer(content, digestSelector);
        // Decoded in the layer's own storage, which then receives the content: the structure parsed
        // from it holds the only other copy.
        if (form == ArmourForm::Text) {
            decodePkcs7ArmourWithin(content, content, notSigned, badArmour);
        }
        std::string der = std::move(content);
        content.clear();
        return verifyDer(std::move(der), revocation, crlPath, revocationCheck, caStore);
    } catch (const std::bad_alloc&) {
        throwOutOfMemory();
    }
}

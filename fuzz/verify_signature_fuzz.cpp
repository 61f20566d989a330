// Signature verification on arbitrary layers: the first byte chooses whether the rest is the layer
// itself or DER to be armoured (which reaches the PKCS#7 reader at once), and how the revocation
// check answers. Only the documented records may leave, and a verdict is always complete. DER whose
// content can be found without the library stands or falls without that content as it does whole.
#include "e2eCrypto/base64.h"
#include "e2eCrypto/detached_content.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/signature_verification.h"
#include "e2eCrypto/verification_store.h"
#include "fuzz_support.h"

#include <openssl/err.h>

#include <cstdint>
#include <optional>

namespace {

std::string armoured(std::string_view der) {
    return std::string(envelope::pkcs7Begin) + "\r\n" + encodeBase64(der) + std::string(envelope::pkcs7End) +
           "\r\n";
}

RevocationCheck answering(std::uint8_t choice) {
    return [choice](const RevocationSubject& subject, const std::string&) -> RevocationAnswer {
        check(subject.certificate != nullptr);
        switch (choice & 3) {
        case 0:
            return {.status = RevocationStatus::NotRevoked, .crl = CrlFacts{}};
        case 1:
            return {.status = RevocationStatus::Revoked};
        case 2:
            throw errorDef::error_message("Cannot read data from CRL");
        default:
            throw errorDef::Warning("odd CRL");
        }
    };
}

CmsPtr parsed(std::string_view der) {
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
    return CmsPtr(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size())));
}

void checkDetachedParse(std::string_view der) {
    const std::optional<DetachedContent> detached = detachSignedContent(der);
    if (!detached) {
        return;
    }
    const CmsPtr whole = parsed(der);
    const CmsPtr skeleton = parsed(detached->skeleton);
    check((whole == nullptr) == (skeleton == nullptr));
    if (whole) {
        const ASN1_OCTET_STRING* content = *CMS_get0_content(whole.get());
        check(der.substr(detached->offset, detached->length) ==
              std::string_view(reinterpret_cast<const char*>(ASN1_STRING_get0_data(content)),
                               static_cast<std::size_t>(ASN1_STRING_length(content))));
    }
    ERR_clear_error();
}

bool isStatus(VerdictStatus status) {
    return status == VerdictStatus::Unknown || status == VerdictStatus::Good || status == VerdictStatus::Bad;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    static const X509StorePtr store = makeVerificationStore();
    const std::uint8_t mode = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string layer = (mode & 0x80) != 0 ? armoured(rest) : std::string(rest);
    if ((mode & 0x80) != 0) {
        checkDetachedParse(rest);
    }
    try {
        const SignedContent result =
            verifySignature(layer, (mode & 0x40) != 0 ? DigestSelector::Md5 : DigestSelector::Sha1,
                            (mode & 4) != 0 ? RevocationChoice::Skip : RevocationChoice::Check, "crl",
                            answering(mode), store.get());
        const SignatureVerdict& verdict = result.verdict;
        check(verdict.header == "SUCCESS" || verdict.header == "FAILED");
        check(verdict.signatureText == "Verified" || verdict.signatureText == "Not Verified");
        check(!verdict.integrityText.empty() && !verdict.validityText.empty() &&
              !verdict.revocationText.empty());
        check(isStatus(verdict.integrityStatus) && isStatus(verdict.validityStatus) &&
              isStatus(verdict.revocationStatus) && isStatus(verdict.signatureStatus));
        check(!result.content.empty());
        // SUCCESS speaks for every signer.
        for (const SignerFacts& signer : verdict.signers) {
            check(verdict.header == "FAILED" ||
                  (signer.signatureValid && !signer.expired && !signer.notYetValid &&
                   signer.revocation != RevocationStatus::Revoked));
        }
        check(verdict.header == "FAILED" || !verdict.signers.empty());
    } catch (const errorDef::error_message& error) {
        check(!error.message.empty());
    } catch (const e2eError::error_message& error) {
        check(!error.message.empty());
    }
    return 0;
}

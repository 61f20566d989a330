#include "e2eCrypto/signer_certificate.h"

#include "e2eCrypto/error_records.h"
#include "e2eCrypto/library_memory.h"
#include "e2eCrypto/openssl_handles.h"

#include <openssl/core_names.h>

#include <algorithm>

namespace {

// A document may carry any number of certificates that copy a signer's identifiers, each costing a
// public-key operation: the work per signer is bounded by trying each certificate once and at most
// this many in all.
constexpr std::size_t candidateLimit = 16;
// Real RSA keys use small public exponents; a huge one only makes each check slow.
constexpr int exponentBitLimit = 64;

bool exponentTooLong(X509* certificate) {
    const EVP_PKEY* key = X509_get0_pubkey(certificate);
    if (key == nullptr ||
        (EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA && EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA_PSS)) {
        return false;
    }
    BIGNUM* read = nullptr;
    if (EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_E, &read) != 1) {
        return true; // an RSA key without a readable exponent is no candidate either
    }
    const BignumPtr exponent(read);
    return BN_num_bits(exponent.get()) > exponentBitLimit;
}

enum class SignatureCheck { Verified, Mismatch, Unverifiable };

// Signed attributes are what the signature covers: one content digest, and one content type that
// names the content actually carried (else a signature over one kind of content passes for another).
bool attributesHoldTheContent(const CMS_SignerInfo* signer, const ASN1_OBJECT* contentType) {
    if (CMS_signed_get_attr_count(signer) < 0) {
        return true;
    }
    const auto* named = static_cast<const ASN1_OBJECT*>(
        CMS_signed_get0_data_by_OBJ(signer, OBJ_nid2obj(NID_pkcs9_contentType), -3, V_ASN1_OBJECT));
    return named != nullptr && contentType != nullptr && OBJ_cmp(named, contentType) == 0 &&
           CMS_signed_get0_data_by_OBJ(signer, OBJ_nid2obj(NID_pkcs9_messageDigest), -3,
                                       V_ASN1_OCTET_STRING) != nullptr;
}

SignatureCheck checkWith(CMS_SignerInfo* signer, X509* certificate, BIO* contentStream) {
    CMS_SignerInfo_set1_signer_cert(signer, certificate);
    clearLibraryErrors();
    // With signed attributes the signature covers them and they hold the content's digest; without
    // any, it covers the content's digest itself.
    int result = CMS_signed_get_attr_count(signer) >= 0 ? CMS_SignerInfo_verify(signer) : 1;
    if (result == 1) {
        result = CMS_SignerInfo_verify_content(signer, contentStream);
    }
    if (result == 1) {
        return SignatureCheck::Verified;
    }
    if (libraryRanOutOfMemory()) {
        throw e2eError::error_message("Insufficient System Memory");
    }
    // The library reports an error instead of a mismatch when it has no way to check this kind of
    // signature with this key.
    return result < 0 ? SignatureCheck::Unverifiable : SignatureCheck::Mismatch;
}

} // namespace

SignerCertificate findSignerCertificate(CMS_SignerInfo* signer, BIO* contentStream,
                                        const ASN1_OBJECT* contentType,
                                        const std::vector<X509*>& candidates) {
    const bool wellFormed = attributesHoldTheContent(signer, contentType);
    X509* firstNamed = nullptr;
    bool unverifiable = false;
    std::vector<X509*> tried;
    for (X509* candidate : candidates) {
        if (tried.size() == candidateLimit) {
            break;
        }
        if (CMS_SignerInfo_cert_cmp(signer, candidate) != 0 || exponentTooLong(candidate) ||
            std::any_of(tried.begin(), tried.end(),
                        [candidate](const X509* seen) { return X509_cmp(seen, candidate) == 0; })) {
            continue;
        }
        tried.push_back(candidate);
        if (firstNamed == nullptr) {
            firstNamed = candidate;
        }
        if (!wellFormed) {
            break;
        }
        const SignatureCheck check = checkWith(signer, candidate, contentStream);
        if (check == SignatureCheck::Verified) {
            return {candidate, true};
        }
        unverifiable = unverifiable || check == SignatureCheck::Unverifiable;
    }
    if (unverifiable) {
        throw e2eError::error_message("This Digest Type is not supported in this version.");
    }
    CMS_SignerInfo_set1_signer_cert(signer, firstNamed);
    return {firstNamed, false};
}

#include "e2eCrypto/signer_facts.h"

#include "e2eCrypto/certificate_facts.h"
#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/object_name.h"
#include "e2eCrypto/subject_line.h"

#include <array>

namespace {

std::string lowerHex(const unsigned char* bytes, unsigned int count) {
    constexpr char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < count; ++i) {
        text += {digits[bytes[i] >> 4], digits[bytes[i] & 0x0F]};
    }
    return text;
}

std::string sha256Of(const X509* certificate) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    return X509_digest(certificate, EVP_sha256(), digest.data(), &length) == 1
               ? lowerHex(digest.data(), length)
               : std::string();
}

std::string algorithmName(const X509_ALGOR* algorithm) {
    if (algorithm == nullptr) {
        return {};
    }
    const ASN1_OBJECT* object = nullptr;
    X509_ALGOR_get0(&object, nullptr, nullptr, algorithm);
    return objectName(object);
}

std::optional<std::string> signingTime(const CMS_SignerInfo* signer) {
    for (const int type : {V_ASN1_UTCTIME, V_ASN1_GENERALIZEDTIME}) {
        const auto* time = static_cast<const ASN1_TIME*>(
            CMS_signed_get0_data_by_OBJ(signer, OBJ_nid2obj(NID_pkcs9_signingTime), -3, type));
        if (time != nullptr) {
            std::string text = isoUtcTime(time);
            return text.empty() ? std::nullopt : std::optional(std::move(text));
        }
    }
    return std::nullopt;
}

} // namespace

SignerFacts signerFacts(const CMS_SignerInfo* signer, const X509* certificate) {
    SignerFacts facts;
    X509_ALGOR* digest = nullptr;
    X509_ALGOR* signature = nullptr;
    CMS_SignerInfo_get0_algs(const_cast<CMS_SignerInfo*>(signer), nullptr, nullptr, &digest, &signature);
    facts.digest = algorithmName(digest);
    facts.signatureAlgorithm = algorithmName(signature);
    facts.signingTime = signingTime(signer);
    if (certificate != nullptr) {
        facts.subjectAttributes = nameAttributes(X509_get_subject_name(certificate));
        facts.issuerAttributes = nameAttributes(X509_get_issuer_name(certificate));
        facts.subject = wholeName(facts.subjectAttributes);
        facts.issuer = wholeName(facts.issuerAttributes);
        facts.serial = serialHex(X509_get0_serialNumber(certificate));
        facts.sha256 = sha256Of(certificate);
        facts.notBefore = isoUtcTime(X509_get0_notBefore(certificate));
        facts.notAfter = isoUtcTime(X509_get0_notAfter(certificate));
    }
    return facts;
}

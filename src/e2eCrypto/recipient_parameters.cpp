#include "e2eCrypto/recipient_parameters.h"

#include "e2eCrypto/block_decryption.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/rsa.h>

#include <climits>

namespace {

using OaepParametersPtr = std::unique_ptr<RSA_OAEP_PARAMS, OpenSslDeleter<RSA_OAEP_PARAMS_free>>;
using AlgorithmPtr = std::unique_ptr<X509_ALGOR, OpenSslDeleter<X509_ALGOR_free>>;

// The digests a store can be asked for, by the library's short names.
std::optional<std::string> digestName(int nid) {
    switch (nid) {
    case NID_sha1:
    case NID_sha224:
    case NID_sha256:
    case NID_sha384:
    case NID_sha512:
        return OBJ_nid2sn(nid);
    default:
        return std::nullopt;
    }
}

// The AlgorithmIdentifier held as the parameter of another.
AlgorithmPtr innerAlgorithm(const X509_ALGOR& outer) {
    int type = V_ASN1_UNDEF;
    const void* value = nullptr;
    X509_ALGOR_get0(nullptr, &type, &value, &outer);
    if (type != V_ASN1_SEQUENCE) {
        return nullptr;
    }
    return AlgorithmPtr(
        static_cast<X509_ALGOR*>(ASN1_TYPE_unpack_sequence(ASN1_ITEM_rptr(X509_ALGOR), outer.parameter)));
}

int algorithmNid(const X509_ALGOR& algorithm) {
    const ASN1_OBJECT* object = nullptr;
    X509_ALGOR_get0(&object, nullptr, nullptr, &algorithm);
    return OBJ_obj2nid(object);
}

std::optional<KeyTransportPadding> oaepPadding(const X509_ALGOR& algorithm) {
    int type = V_ASN1_UNDEF;
    X509_ALGOR_get0(nullptr, &type, nullptr, &algorithm);
    OaepParametersPtr parameters;
    if (type == V_ASN1_SEQUENCE) {
        parameters.reset(static_cast<RSA_OAEP_PARAMS*>(
            ASN1_TYPE_unpack_sequence(ASN1_ITEM_rptr(RSA_OAEP_PARAMS), algorithm.parameter)));
        if (!parameters) {
            return std::nullopt;
        }
    } else if (type != V_ASN1_UNDEF && type != V_ASN1_NULL) {
        return std::nullopt;
    }
    // Absent fields take their defaults: SHA-1, MGF1 with SHA-1, an empty label.
    const std::optional<std::string> digest = digestName(
        parameters && parameters->hashFunc != nullptr ? algorithmNid(*parameters->hashFunc) : NID_sha1);
    std::optional<std::string> maskDigest = digestName(NID_sha1);
    if (parameters && parameters->maskGenFunc != nullptr) {
        const AlgorithmPtr maskHash = innerAlgorithm(*parameters->maskGenFunc);
        maskDigest = algorithmNid(*parameters->maskGenFunc) == NID_mgf1 && maskHash
                         ? digestName(algorithmNid(*maskHash))
                         : std::nullopt;
    }
    if (!digest || maskDigest != digest) {
        return std::nullopt;
    }
    KeyTransportPadding padding{true, *digest, {}};
    if (parameters && parameters->pSourceFunc != nullptr) {
        int labelType = V_ASN1_UNDEF;
        const void* label = nullptr;
        X509_ALGOR_get0(nullptr, &labelType, &label, parameters->pSourceFunc);
        if (algorithmNid(*parameters->pSourceFunc) != NID_pSpecified || labelType != V_ASN1_OCTET_STRING) {
            return std::nullopt;
        }
        const auto* octets = static_cast<const ASN1_OCTET_STRING*>(label);
        padding.label.assign(reinterpret_cast<const char*>(ASN1_STRING_get0_data(octets)),
                             static_cast<std::size_t>(ASN1_STRING_length(octets)));
    }
    return padding;
}

std::optional<std::string> kdfDigest(int scheme) {
    switch (scheme) {
    case NID_dhSinglePass_stdDH_sha1kdf_scheme:
        return digestName(NID_sha1);
    case NID_dhSinglePass_stdDH_sha224kdf_scheme:
        return digestName(NID_sha224);
    case NID_dhSinglePass_stdDH_sha256kdf_scheme:
        return digestName(NID_sha256);
    case NID_dhSinglePass_stdDH_sha384kdf_scheme:
        return digestName(NID_sha384);
    case NID_dhSinglePass_stdDH_sha512kdf_scheme:
        return digestName(NID_sha512);
    default:
        return std::nullopt;
    }
}

const char* wrapCipherName(int nid, std::size_t& keyLength) {
    switch (nid) {
    case NID_id_aes128_wrap:
        keyLength = 16;
        return "AES-128-WRAP";
    case NID_id_aes192_wrap:
        keyLength = 24;
        return "AES-192-WRAP";
    case NID_id_aes256_wrap:
        keyLength = 32;
        return "AES-256-WRAP";
    case NID_id_smime_alg_CMS3DESwrap:
        keyLength = 24;
        return "DES3-WRAP";
    default:
        return nullptr;
    }
}

} // namespace

std::optional<KeyTransportPadding> keyTransportPadding(CMS_RecipientInfo& recipient) {
    X509_ALGOR* algorithm = nullptr;
    if (CMS_RecipientInfo_ktri_get0_algs(&recipient, nullptr, nullptr, &algorithm) != 1 ||
        algorithm == nullptr) {
        return std::nullopt;
    }
    switch (algorithmNid(*algorithm)) {
    case NID_rsaEncryption:
        return KeyTransportPadding{};
    case NID_rsaesOaep:
        return oaepPadding(*algorithm);
    default:
        return std::nullopt;
    }
}

std::optional<KeyAgreementParameters> keyAgreementParameters(CMS_RecipientInfo& recipient) {
    X509_ALGOR* scheme = nullptr;
    ASN1_OCTET_STRING* userKeyingMaterial = nullptr;
    X509_ALGOR* originatorAlgorithm = nullptr;
    ASN1_BIT_STRING* originatorKey = nullptr;
    if (CMS_RecipientInfo_kari_get0_alg(&recipient, &scheme, &userKeyingMaterial) != 1 || scheme == nullptr ||
        CMS_RecipientInfo_kari_get0_orig_id(&recipient, &originatorAlgorithm, &originatorKey, nullptr,
                                            nullptr, nullptr) != 1 ||
        originatorKey == nullptr) {
        return std::nullopt;
    }
    const std::optional<std::string> digest = kdfDigest(algorithmNid(*scheme));
    const AlgorithmPtr wrap = innerAlgorithm(*scheme);
    KeyAgreementParameters parameters{};
    parameters.wrapCipher =
        wrap ? wrapCipherName(algorithmNid(*wrap), parameters.agreement.keyLength) : nullptr;
    if (!digest || parameters.wrapCipher == nullptr) {
        return std::nullopt;
    }
    unsigned char* sharedInfo = nullptr;
    const int length = CMS_SharedInfo_encode(&sharedInfo, wrap.get(), userKeyingMaterial,
                                             static_cast<int>(parameters.agreement.keyLength));
    if (length <= 0) {
        ERR_clear_error();
        return std::nullopt;
    }
    parameters.agreement.sharedInfo.assign(reinterpret_cast<const char*>(sharedInfo),
                                           static_cast<std::size_t>(length));
    OPENSSL_free(sharedInfo);
    parameters.agreement.kdfDigest = *digest;
    parameters.agreement.originatorPoint.assign(
        reinterpret_cast<const char*>(ASN1_STRING_get0_data(originatorKey)),
        static_cast<std::size_t>(ASN1_STRING_length(originatorKey)));
    return parameters;
}

std::optional<SecretString> unwrapContentKey(const SecretString& keyEncryptionKey, const char* wrapCipher,
                                             std::string_view wrapped) {
    const EVP_CIPHER* cipher = fetchedCipher(wrapCipher);
    const EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
    if (cipher == nullptr || !context || wrapped.size() < 16 || wrapped.size() > INT_MAX ||
        keyEncryptionKey.size() != static_cast<std::size_t>(EVP_CIPHER_get_key_length(cipher))) {
        return std::nullopt;
    }
    EVP_CIPHER_CTX_set_flags(context.get(), EVP_CIPHER_CTX_FLAG_WRAP_ALLOW);
    SecretString key(std::string(wrapped.size(), '\0'));
    auto* out = reinterpret_cast<unsigned char*>(key.mutableStr().data());
    int length = 0;
    int last = 0;
    if (EVP_DecryptInit_ex2(context.get(), cipher,
                            reinterpret_cast<const unsigned char*>(keyEncryptionKey.data()), nullptr,
                            nullptr) != 1 ||
        EVP_DecryptUpdate(context.get(), out, &length, reinterpret_cast<const unsigned char*>(wrapped.data()),
                          static_cast<int>(wrapped.size())) != 1 ||
        EVP_DecryptFinal_ex(context.get(), out + length, &last) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    key.mutableStr().resize(static_cast<std::size_t>(length + last));
    return key;
}

#include "e2eCrypto/evp_recipient_key.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/rsa.h>

#include <array>

namespace {

// The library keeps its own copy of a label or derivation input and frees it itself.
unsigned char* libraryCopy(std::string_view bytes) {
    return bytes.empty() ? nullptr : static_cast<unsigned char*>(OPENSSL_memdup(bytes.data(), bytes.size()));
}

bool setPadding(EVP_PKEY_CTX& context, const KeyTransportPadding& padding) {
    if (!padding.oaep) {
        return EVP_PKEY_CTX_set_rsa_padding(&context, RSA_PKCS1_PADDING) > 0;
    }
    if (EVP_PKEY_CTX_set_rsa_padding(&context, RSA_PKCS1_OAEP_PADDING) <= 0 ||
        EVP_PKEY_CTX_set_rsa_oaep_md_name(&context, padding.digest.c_str(), nullptr) <= 0 ||
        EVP_PKEY_CTX_set_rsa_mgf1_md_name(&context, padding.digest.c_str(), nullptr) <= 0) {
        return false;
    }
    unsigned char* label = libraryCopy(padding.label);
    if (!padding.label.empty() &&
        (label == nullptr ||
         EVP_PKEY_CTX_set0_rsa_oaep_label(&context, label, static_cast<int>(padding.label.size())) <= 0)) {
        OPENSSL_free(label);
        return false;
    }
    return true;
}

// The sender's public key: its point on this key's curve.
EvpPkeyPtr peerKey(const EVP_PKEY& own, const std::string& point) {
    std::array<char, 80> group{};
    if (EVP_PKEY_get_utf8_string_param(&own, OSSL_PKEY_PARAM_GROUP_NAME, group.data(), group.size(),
                                       nullptr) != 1) {
        return nullptr;
    }
    OSSL_PARAM parameters[] = {OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group.data(), 0),
                               OSSL_PARAM_construct_octet_string(
                                   OSSL_PKEY_PARAM_PUB_KEY, const_cast<char*>(point.data()), point.size()),
                               OSSL_PARAM_construct_end()};
    const EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    EVP_PKEY* peer = nullptr;
    if (!context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
        EVP_PKEY_fromdata(context.get(), &peer, EVP_PKEY_PUBLIC_KEY, parameters) != 1) {
        return nullptr;
    }
    return EvpPkeyPtr(peer);
}

} // namespace

EvpRecipientKey::EvpRecipientKey(EVP_PKEY& key) : key_(&key) {
    EVP_PKEY_up_ref(&key);
}

RecipientKey::Kind EvpRecipientKey::kind() const {
    return EVP_PKEY_is_a(key_.get(), "RSA") ? Kind::Rsa : Kind::EllipticCurve;
}

std::optional<SecretString> EvpRecipientKey::decryptKey(std::string_view encryptedKey,
                                                        const KeyTransportPadding& padding) {
    const EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    if (!context || EVP_PKEY_decrypt_init(context.get()) != 1 || !setPadding(*context, padding)) {
        ERR_clear_error();
        return std::nullopt;
    }
#ifdef OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION
    // A padding that does not check must fail, not give a random key.
    unsigned int rejectImplicitly = 0;
    OSSL_PARAM explicitRejection[] = {
        OSSL_PARAM_construct_uint(OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION, &rejectImplicitly),
        OSSL_PARAM_construct_end()};
    EVP_PKEY_CTX_set_params(context.get(), explicitRejection);
#endif
    const auto* in = reinterpret_cast<const unsigned char*>(encryptedKey.data());
    std::size_t length = 0;
    if (EVP_PKEY_decrypt(context.get(), nullptr, &length, in, encryptedKey.size()) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    SecretString key(std::string(length, '\0'));
    if (EVP_PKEY_decrypt(context.get(), reinterpret_cast<unsigned char*>(key.mutableStr().data()), &length,
                         in, encryptedKey.size()) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    key.mutableStr().resize(length);
    return key;
}

std::optional<SecretString> EvpRecipientKey::agreeKey(const KeyAgreement& agreement) {
    const EvpPkeyPtr peer =
        kind() == Kind::EllipticCurve ? peerKey(*key_, agreement.originatorPoint) : nullptr;
    const EvpPkeyCtxPtr context(peer ? EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr) : nullptr);
    const EVP_MD* digest = EVP_get_digestbyname(agreement.kdfDigest.c_str());
    unsigned char* sharedInfo = nullptr;
    bool ready = context && digest != nullptr && EVP_PKEY_derive_init(context.get()) == 1 &&
                 EVP_PKEY_derive_set_peer(context.get(), peer.get()) == 1 &&
                 EVP_PKEY_CTX_set_ecdh_kdf_type(context.get(), EVP_PKEY_ECDH_KDF_X9_63) > 0 &&
                 EVP_PKEY_CTX_set_ecdh_kdf_md(context.get(), digest) > 0 &&
                 EVP_PKEY_CTX_set_ecdh_kdf_outlen(context.get(), static_cast<int>(agreement.keyLength)) > 0;
    if (ready && !agreement.sharedInfo.empty()) {
        sharedInfo = libraryCopy(agreement.sharedInfo);
        ready = sharedInfo != nullptr &&
                EVP_PKEY_CTX_set0_ecdh_kdf_ukm(context.get(), sharedInfo,
                                               static_cast<int>(agreement.sharedInfo.size())) > 0;
        if (!ready) {
            OPENSSL_free(sharedInfo);
        }
    }
    SecretString key(std::string(agreement.keyLength, '\0'));
    std::size_t length = agreement.keyLength;
    if (!ready ||
        EVP_PKEY_derive(context.get(), reinterpret_cast<unsigned char*>(key.mutableStr().data()), &length) !=
            1 ||
        length != agreement.keyLength) {
        ERR_clear_error();
        return std::nullopt;
    }
    return key;
}

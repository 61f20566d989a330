#include "e2eCrypto/envelope_opening.h"

#include "e2eCrypto/block_decryption.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/secret_string.h"

#include <openssl/err.h>
#include <openssl/objects.h>
#include <openssl/rsa.h>

#include <string_view>
#include <vector>

namespace {

const EVP_CIPHER* contentCipher(const X509_ALGOR& algorithm) {
    switch (OBJ_obj2nid(algorithm.algorithm)) {
    case NID_des_ede3_cbc:
        return fetchedCipher("DES-EDE3-CBC");
    case NID_aes_128_cbc:
        return fetchedCipher("AES-128-CBC");
    case NID_aes_192_cbc:
        return fetchedCipher("AES-192-CBC");
    case NID_aes_256_cbc:
        return fetchedCipher("AES-256-CBC");
    default:
        return nullptr;
    }
}

bool namesCertificate(const PKCS7_RECIP_INFO& recipient, const X509& certificate) {
    const PKCS7_ISSUER_AND_SERIAL* id = recipient.issuer_and_serial;
    return id != nullptr && X509_NAME_cmp(id->issuer, X509_get_issuer_name(&certificate)) == 0 &&
           ASN1_INTEGER_cmp(id->serial, X509_get0_serialNumber(&certificate)) == 0;
}

std::vector<const PKCS7_RECIP_INFO*> recipientsToTry(const PKCS7_ENVELOPE& envelope, const X509* certificate) {
    std::vector<const PKCS7_RECIP_INFO*> all;
    std::vector<const PKCS7_RECIP_INFO*> matching;
    for (int i = 0; i < sk_PKCS7_RECIP_INFO_num(envelope.recipientinfo); ++i) {
        const PKCS7_RECIP_INFO* recipient = sk_PKCS7_RECIP_INFO_value(envelope.recipientinfo, i);
        all.push_back(recipient);
        if (certificate != nullptr && namesCertificate(*recipient, *certificate)) {
            matching.push_back(recipient);
        }
    }
    return matching.empty() ? all : matching;
}

} // namespace

EvpCipherCtxPtr openEnvelope(const EVP_CIPHER& cipher, const X509_ALGOR& algorithm, const PKCS7_RECIP_INFO& recipient,
                             EVP_PKEY& privateKey) {
    const ASN1_TYPE* parameter = algorithm.parameter;
    if (parameter == nullptr || parameter->type != V_ASN1_OCTET_STRING ||
        ASN1_STRING_length(parameter->value.octet_string) != EVP_CIPHER_get_iv_length(&cipher) ||
        recipient.enc_key == nullptr) {
        return nullptr;
    }
    EvpPkeyCtxPtr keyContext(EVP_PKEY_CTX_new(&privateKey, nullptr));
    if (!keyContext || EVP_PKEY_decrypt_init(keyContext.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(keyContext.get(), RSA_PKCS1_PADDING) != 1) {
        return nullptr;
    }
    // Newer libraries answer a wrong key with a random content key unless told not to; older ones
    // do not know the setting and fail plainly anyway, so its refusal is no error.
    if (EVP_PKEY_CTX_ctrl_str(keyContext.get(), "rsa_pkcs1_implicit_rejection", "0") <= 0) {
        ERR_clear_error();
    }
    // The buffer is wiped whole when it goes, whatever length the key turns out to have.
    SecretString contentKey(std::string(static_cast<std::size_t>(EVP_PKEY_get_size(&privateKey)), '\0'));
    auto* keyBytes = reinterpret_cast<unsigned char*>(contentKey.mutableStr().data());
    std::size_t keyLength = contentKey.size();
    if (EVP_PKEY_decrypt(keyContext.get(), keyBytes, &keyLength, recipient.enc_key->data,
                         static_cast<std::size_t>(recipient.enc_key->length)) != 1 ||
        keyLength != static_cast<std::size_t>(EVP_CIPHER_get_key_length(&cipher))) {
        return nullptr;
    }
    EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
    if (!context || EVP_DecryptInit_ex2(context.get(), &cipher, keyBytes,
                                        ASN1_STRING_get0_data(parameter->value.octet_string), nullptr) != 1) {
        return nullptr;
    }
    return context;
}

bool decryptEnvelope(const PKCS7& envelope, EVP_PKEY& privateKey, const X509* recipientCertificate,
                     std::string& plaintext) {
    if (OBJ_obj2nid(envelope.type) != NID_pkcs7_enveloped || envelope.d.enveloped == nullptr ||
        envelope.d.enveloped->enc_data == nullptr || envelope.d.enveloped->enc_data->algorithm == nullptr) {
        return false;
    }
    const PKCS7_ENVELOPE& enveloped = *envelope.d.enveloped;
    const X509_ALGOR& algorithm = *enveloped.enc_data->algorithm;
    const EVP_CIPHER* cipher = contentCipher(algorithm);
    if (cipher == nullptr) {
        throw e2eError::error_message("This encryption algorithm is not supported in this version");
    }
    const ASN1_OCTET_STRING* content = enveloped.enc_data->enc_data;
    const std::string_view ciphertext =
        content == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(content->data),
                                              static_cast<std::size_t>(content->length));
    for (const PKCS7_RECIP_INFO* recipient : recipientsToTry(enveloped, recipientCertificate)) {
        const EvpCipherCtxPtr context = openEnvelope(*cipher, algorithm, *recipient, privateKey);
        if (context && decryptBlocks(*context, ciphertext, plaintext)) {
            return true;
        }
    }
    return false;
}

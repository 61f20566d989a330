#include "e2eCrypto/envelope_opening.h"

#include "e2eCrypto/block_decryption.h"
#include "e2eCrypto/error_records.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <optional>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void unsupportedAlgorithm() {
    throw e2eError::error_message("This encryption algorithm is not supported in this version");
}

// The library's content decryption: a cipher stream over the encrypted content, keyed with the key of
// the recipient opened last (or a throwaway key when none was). Null when the cipher or its
// parameters cannot be set up.
BioPtr contentStream(CMS_ContentInfo& envelope) {
    return BioPtr(CMS_dataInit(&envelope, nullptr));
}

EVP_CIPHER_CTX* streamCipher(BIO& stream) {
    EVP_CIPHER_CTX* context = nullptr;
    BIO* cipher = BIO_find_type(&stream, BIO_TYPE_CIPHER);
    return cipher != nullptr && BIO_get_cipher_ctx(cipher, &context) == 1 ? context : nullptr;
}

bool supportedCipher(const EVP_CIPHER_CTX& context) {
    switch (EVP_CIPHER_get_nid(EVP_CIPHER_CTX_get0_cipher(&context))) {
    case NID_des_ede3_cbc:
    case NID_aes_128_cbc:
    case NID_aes_192_cbc:
    case NID_aes_256_cbc:
        return true;
    default:
        return false;
    }
}

// Refuses a content cipher other than the supported ones before any recipient is opened. False when
// the cipher is one of them but its parameters (the IV) are unusable.
bool checkContentCipher(CMS_ContentInfo& envelope) {
    ERR_clear_error();
    const BioPtr stream = contentStream(envelope);
    if (!stream) {
        const bool badParameters =
            ERR_GET_REASON(ERR_peek_last_error()) == CMS_R_CIPHER_PARAMETER_INITIALISATION_ERROR;
        ERR_clear_error();
        if (badParameters) {
            return false;
        }
        unsupportedAlgorithm();
    }
    const EVP_CIPHER_CTX* context = streamCipher(*stream);
    if (context == nullptr || !supportedCipher(*context)) {
        unsupportedAlgorithm();
    }
    return true;
}

// The key-transport recipients to try. Throws when there are recipients but none of that kind: the
// key of a certificate store opens no other.
std::vector<CMS_RecipientInfo*> recipientsToTry(CMS_ContentInfo& envelope, X509* certificate) {
    std::vector<CMS_RecipientInfo*> all;
    std::vector<CMS_RecipientInfo*> matching;
    STACK_OF(CMS_RecipientInfo)* recipients = CMS_get0_RecipientInfos(&envelope);
    const int count = sk_CMS_RecipientInfo_num(recipients);
    for (int i = 0; i < count; ++i) {
        CMS_RecipientInfo* recipient = sk_CMS_RecipientInfo_value(recipients, i);
        if (CMS_RecipientInfo_type(recipient) != CMS_RECIPINFO_TRANS) {
            continue;
        }
        all.push_back(recipient);
        if (certificate != nullptr && CMS_RecipientInfo_ktri_cert_cmp(recipient, certificate) == 0) {
            matching.push_back(recipient);
        }
    }
    if (count > 0 && all.empty()) {
        unsupportedAlgorithm();
    }
    return matching.empty() ? all : matching;
}

// The recipient holds the key only while its content key is unwrapped.
bool unwrapContentKey(CMS_ContentInfo& envelope, CMS_RecipientInfo& recipient, EVP_PKEY& privateKey) {
    if (EVP_PKEY_up_ref(&privateKey) != 1) {
        return false;
    }
    CMS_RecipientInfo_set0_pkey(&recipient, &privateKey);
    const bool unwrapped = CMS_RecipientInfo_decrypt(&envelope, &recipient) == 1;
    CMS_RecipientInfo_set0_pkey(&recipient, nullptr);
    return unwrapped;
}

// Unwraps the recipient's content key and gives the keyed cipher of the content stream, which lives
// as long as stream; null when either fails.
EVP_CIPHER_CTX* keyedContentCipher(CMS_ContentInfo& envelope, CMS_RecipientInfo& recipient,
                                   EVP_PKEY& privateKey, BioPtr& stream) {
    if (!unwrapContentKey(envelope, recipient, privateKey)) {
        return nullptr;
    }
    stream = contentStream(envelope);
    return stream ? streamCipher(*stream) : nullptr;
}

bool openRecipient(CMS_ContentInfo& envelope, CMS_RecipientInfo& recipient, EVP_PKEY& privateKey,
                   std::string_view ciphertext, std::string& plaintext) {
    BioPtr stream;
    EVP_CIPHER_CTX* context = keyedContentCipher(envelope, recipient, privateKey, stream);
    return context != nullptr && decryptBlocks(*context, ciphertext, plaintext);
}

// The recipients to try, once the envelope is known to be one this reader opens; nothing when it is
// not. The envelope's own content must be there, if only empty.
std::optional<std::vector<CMS_RecipientInfo*>> openableRecipients(CMS_ContentInfo& envelope,
                                                                  X509* recipientCertificate) {
    const int type = OBJ_obj2nid(CMS_get0_type(&envelope));
    if (type == NID_id_smime_ct_authEnvelopedData) {
        unsupportedAlgorithm();
    }
    ASN1_OCTET_STRING** content = type == NID_pkcs7_enveloped ? CMS_get0_content(&envelope) : nullptr;
    if (content == nullptr || *content == nullptr || !checkContentCipher(envelope)) {
        ERR_clear_error();
        return std::nullopt;
    }
    std::vector<CMS_RecipientInfo*> recipients = recipientsToTry(envelope, recipientCertificate);
    // A content key of the wrong length, or one that cannot be unwrapped, is an error rather than a
    // quiet switch to a random key.
    if (CMS_decrypt(&envelope, nullptr, nullptr, nullptr, nullptr, CMS_DEBUG_DECRYPT) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    return recipients;
}

bool openRecipients(CMS_ContentInfo& envelope, const std::vector<CMS_RecipientInfo*>& recipients,
                    EVP_PKEY& privateKey, std::string_view ciphertext, std::string& plaintext) {
    for (CMS_RecipientInfo* recipient : recipients) {
        if (openRecipient(envelope, *recipient, privateKey, ciphertext, plaintext)) {
            return true;
        }
    }
    ERR_clear_error();
    return false;
}

} // namespace

bool decryptEnvelope(CMS_ContentInfo& envelope, EVP_PKEY& privateKey, X509* recipientCertificate,
                     std::string& plaintext) {
    const std::optional<std::vector<CMS_RecipientInfo*>> recipients =
        openableRecipients(envelope, recipientCertificate);
    if (!recipients) {
        return false;
    }
    const ASN1_OCTET_STRING* content = *CMS_get0_content(&envelope);
    const std::string_view ciphertext(reinterpret_cast<const char*>(ASN1_STRING_get0_data(content)),
                                      static_cast<std::size_t>(ASN1_STRING_length(content)));
    return openRecipients(envelope, *recipients, privateKey, ciphertext, plaintext);
}

bool decryptEnvelopeWithin(CMS_ContentInfo& envelope, EVP_PKEY& privateKey, X509* recipientCertificate,
                           std::string& buffer) {
    const std::optional<std::vector<CMS_RecipientInfo*>> recipients =
        openableRecipients(envelope, recipientCertificate);
    if (!recipients) {
        return false;
    }
    if (recipients->size() != 1) {
        // A recipient that fails after decrypting would leave nothing for the next one to try.
        const std::string ciphertext = std::move(buffer);
        buffer.clear();
        return openRecipients(envelope, *recipients, privateKey, ciphertext, buffer);
    }
    BioPtr stream;
    EVP_CIPHER_CTX* context = keyedContentCipher(envelope, *recipients->front(), privateKey, stream);
    if (context == nullptr || !decryptBlocksWithin(*context, buffer)) {
        ERR_clear_error();
        return false;
    }
    return true;
}

#include "e2eCrypto/envelope_opening.h"

#include "e2eCrypto/block_decryption.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/recipient_encrypted_keys.h"
#include "e2eCrypto/recipient_parameters.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace {

[[noreturn]] void unsupportedAlgorithm() {
    throw e2eError::error_message("This encryption algorithm is not supported in this version");
}

// The content's cipher and the IV its parameters give.
struct ContentCipher {
    const EVP_CIPHER* cipher;
    std::vector<unsigned char> iv;
};

// One recipient to try: its encrypted key and how it was protected.
struct Candidate {
    std::string encryptedKey;
    std::variant<KeyTransportPadding, KeyAgreementParameters> protection;
};

const char* supportedCipherName(const EVP_CIPHER_CTX& context) {
    switch (EVP_CIPHER_get_nid(EVP_CIPHER_CTX_get0_cipher(&context))) {
    case NID_des_ede3_cbc:
        return "DES-EDE3-CBC";
    case NID_aes_128_cbc:
        return "AES-128-CBC";
    case NID_aes_192_cbc:
        return "AES-192-CBC";
    case NID_aes_256_cbc:
        return "AES-256-CBC";
    default:
        return nullptr;
    }
}

// The library sets the cipher up from the envelope's algorithm identifier (under a throwaway key);
// its cipher and IV are taken from there. Refuses a content cipher other than the supported ones
// before any recipient is opened. Nothing when the cipher is one of them but its parameters (the IV)
// are unusable.
std::optional<ContentCipher> contentCipher(CMS_ContentInfo& envelope) {
    ERR_clear_error();
    const BioPtr stream(CMS_dataInit(&envelope, nullptr));
    if (!stream) {
        const bool badParameters =
            ERR_GET_REASON(ERR_peek_last_error()) == CMS_R_CIPHER_PARAMETER_INITIALISATION_ERROR;
        ERR_clear_error();
        if (badParameters) {
            return std::nullopt;
        }
        unsupportedAlgorithm();
    }
    EVP_CIPHER_CTX* context = nullptr;
    BIO* cipherStream = BIO_find_type(stream.get(), BIO_TYPE_CIPHER);
    if (cipherStream == nullptr || BIO_get_cipher_ctx(cipherStream, &context) != 1 || context == nullptr) {
        unsupportedAlgorithm();
    }
    const char* name = supportedCipherName(*context);
    const EVP_CIPHER* cipher = name != nullptr ? fetchedCipher(name) : nullptr;
    if (cipher == nullptr) {
        unsupportedAlgorithm();
    }
    std::vector<unsigned char> iv(static_cast<std::size_t>(EVP_CIPHER_CTX_get_iv_length(context)));
    if (EVP_CIPHER_CTX_get_original_iv(context, iv.data(), iv.size()) != 1) {
        ERR_clear_error();
        return std::nullopt;
    }
    return ContentCipher{cipher, std::move(iv)};
}

// The recipients of the key's kind, those that certificate names first (alone when any does). Throws
// when there are recipients but none the key could open: its store opens no other kind. Nothing when
// the recipients' encrypted keys cannot be read.
std::optional<std::vector<Candidate>> recipientsToTry(CMS_ContentInfo& envelope, X509* certificate,
                                                      RecipientKey::Kind kind) {
    const std::optional<std::vector<std::vector<std::string>>> keys = recipientEncryptedKeys(envelope);
    STACK_OF(CMS_RecipientInfo)* recipients = CMS_get0_RecipientInfos(&envelope);
    const int count = sk_CMS_RecipientInfo_num(recipients);
    if (!keys || keys->size() != static_cast<std::size_t>(std::max(count, 0))) {
        return std::nullopt;
    }
    std::vector<Candidate> all;
    std::vector<Candidate> matching;
    const auto add = [&](Candidate candidate, bool named) {
        if (named) {
            matching.push_back(candidate);
        }
        all.push_back(std::move(candidate));
    };
    for (int i = 0; i < count; ++i) {
        CMS_RecipientInfo* recipient = sk_CMS_RecipientInfo_value(recipients, i);
        const std::vector<std::string>& encrypted = (*keys)[static_cast<std::size_t>(i)];
        const int type = CMS_RecipientInfo_type(recipient);
        if (type == CMS_RECIPINFO_TRANS && kind == RecipientKey::Kind::Rsa) {
            if (std::optional<KeyTransportPadding> padding = keyTransportPadding(*recipient)) {
                add({encrypted.at(0), *padding},
                    certificate != nullptr && CMS_RecipientInfo_ktri_cert_cmp(recipient, certificate) == 0);
            }
        } else if (type == CMS_RECIPINFO_AGREE && kind == RecipientKey::Kind::EllipticCurve) {
            std::optional<KeyAgreementParameters> parameters = keyAgreementParameters(*recipient);
            STACK_OF(CMS_RecipientEncryptedKey)* recipientKeys = CMS_RecipientInfo_kari_get0_reks(recipient);
            if (!parameters ||
                sk_CMS_RecipientEncryptedKey_num(recipientKeys) != static_cast<int>(encrypted.size())) {
                continue;
            }
            for (std::size_t k = 0; k < encrypted.size(); ++k) {
                CMS_RecipientEncryptedKey* recipientKey =
                    sk_CMS_RecipientEncryptedKey_value(recipientKeys, static_cast<int>(k));
                add({encrypted[k], *parameters},
                    certificate != nullptr &&
                        CMS_RecipientEncryptedKey_cert_cmp(recipientKey, certificate) == 0);
            }
        }
    }
    ERR_clear_error();
    if (count > 0 && all.empty()) {
        unsupportedAlgorithm();
    }
    return matching.empty() ? all : matching;
}

std::optional<SecretString> contentKey(const Candidate& candidate, RecipientKey& key) {
    if (const auto* padding = std::get_if<KeyTransportPadding>(&candidate.protection)) {
        return key.decryptKey(candidate.encryptedKey, *padding);
    }
    const auto& agreement = std::get<KeyAgreementParameters>(candidate.protection);
    const std::optional<SecretString> wrappingKey = key.agreeKey(agreement.agreement);
    return wrappingKey ? unwrapContentKey(*wrappingKey, agreement.wrapCipher, candidate.encryptedKey)
                       : std::nullopt;
}

// The content cipher keyed with the recipient's content key; null when there is no such key or it
// does not fit the cipher.
EvpCipherCtxPtr keyedContentCipher(const ContentCipher& content, const Candidate& candidate,
                                   RecipientKey& key) {
    const std::optional<SecretString> contentKeyBytes = contentKey(candidate, key);
    if (!contentKeyBytes ||
        contentKeyBytes->size() != static_cast<std::size_t>(EVP_CIPHER_get_key_length(content.cipher))) {
        return nullptr;
    }
    EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
    if (!context || EVP_DecryptInit_ex2(context.get(), content.cipher,
                                        reinterpret_cast<const unsigned char*>(contentKeyBytes->data()),
                                        content.iv.data(), nullptr) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    return context;
}

struct Opening {
    ContentCipher cipher;
    std::vector<Candidate> candidates;
};

// The cipher and recipients to try, once the envelope is known to be one this reader opens; nothing
// when it is not. The envelope's own content must be there, if only empty.
std::optional<Opening> openableRecipients(CMS_ContentInfo& envelope, X509* recipientCertificate,
                                          RecipientKey::Kind kind) {
    const int type = OBJ_obj2nid(CMS_get0_type(&envelope));
    if (type == NID_id_smime_ct_authEnvelopedData) {
        unsupportedAlgorithm();
    }
    ASN1_OCTET_STRING** content = type == NID_pkcs7_enveloped ? CMS_get0_content(&envelope) : nullptr;
    std::optional<ContentCipher> cipher =
        content != nullptr && *content != nullptr ? contentCipher(envelope) : std::nullopt;
    std::optional<std::vector<Candidate>> candidates =
        cipher ? recipientsToTry(envelope, recipientCertificate, kind) : std::nullopt;
    ERR_clear_error();
    if (!candidates) {
        return std::nullopt;
    }
    return Opening{std::move(*cipher), std::move(*candidates)};
}

bool openRecipients(const Opening& opening, RecipientKey& key, std::string_view ciphertext,
                    std::string& plaintext) {
    for (const Candidate& candidate : opening.candidates) {
        const EvpCipherCtxPtr context = keyedContentCipher(opening.cipher, candidate, key);
        if (context && decryptBlocks(*context, ciphertext, plaintext)) {
            return true;
        }
    }
    ERR_clear_error();
    return false;
}

} // namespace

bool decryptEnvelope(CMS_ContentInfo& envelope, RecipientKey& key, X509* recipientCertificate,
                     std::string& plaintext) {
    const std::optional<Opening> opening = openableRecipients(envelope, recipientCertificate, key.kind());
    ASN1_OCTET_STRING* const* contentField = CMS_get0_content(&envelope);
    const ASN1_OCTET_STRING* content = contentField != nullptr ? *contentField : nullptr;
    // The content ciphers pad: even empty content gives a block, so no ciphertext at all is no content.
    if (!opening || content == nullptr || ASN1_STRING_length(content) <= 0) {
        return false;
    }
    const std::string_view ciphertext(reinterpret_cast<const char*>(ASN1_STRING_get0_data(content)),
                                      static_cast<std::size_t>(ASN1_STRING_length(content)));
    return openRecipients(*opening, key, ciphertext, plaintext);
}

bool decryptEnvelopeWithin(CMS_ContentInfo& envelope, RecipientKey& key, X509* recipientCertificate,
                           std::string& buffer) {
    const std::optional<Opening> opening = openableRecipients(envelope, recipientCertificate, key.kind());
    if (!opening || buffer.empty()) {
        return false;
    }
    if (opening->candidates.size() != 1) {
        // A recipient that fails after decrypting would leave nothing for the next one to try.
        const std::string ciphertext = std::move(buffer);
        buffer.clear();
        return openRecipients(*opening, key, ciphertext, buffer);
    }
    const EvpCipherCtxPtr context = keyedContentCipher(opening->cipher, opening->candidates.front(), key);
    if (!context || !decryptBlocksWithin(*context, buffer)) {
        ERR_clear_error();
        return false;
    }
    return true;
}

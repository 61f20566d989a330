#include "e2eCrypto/decryption.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/block_decryption.h"
#include "e2eCrypto/detached_content.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/envelope_opening.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/library_memory.h"
#include "e2eCrypto/openssl_handles.h"

#include <openssl/err.h>
#include <openssl/sha.h>

#include <climits>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>

namespace {

constexpr const char* missingDetails = "Necessary details needed for DECRYPTION are not given";
constexpr const char* unsupportedAlgorithm = "This encryption algorithm is not supported in this version";
constexpr const char* noMemory = "Insufficient System Memory";
constexpr const char* notDecrypted = "Couldn't Decrypt the Given Data";
constexpr const char* invalidFormat = "Invalid Encryption Format";
// What a text key in the private-key mode is: the recipient's key is used where it lives, never as text.
constexpr const char* invalidKey = "Invalid Private key";
// A mode no caller uses any more; it still insists on a key password before being refused.
constexpr int keyPasswordMode = 4;

[[noreturn]] void fail(const char* message) {
    throw e2eError::error_message(message);
}

// A cipher context keyed with what the pass phrase derives.
EvpCipherCtxPtr passPhraseCipher(const SecretString& passPhrase) {
    const EVP_CIPHER* cipher = fetchedCipher("DES-EDE3-CBC");
    const EVP_MD* md5 = fetchedDigest("MD5");
    if (cipher == nullptr || md5 == nullptr) {
        fail(unsupportedAlgorithm);
    }
    if (passPhrase.size() > static_cast<std::size_t>(INT_MAX)) {
        fail(notDecrypted);
    }
    unsigned char key[EVP_MAX_KEY_LENGTH];
    unsigned char iv[EVP_MAX_IV_LENGTH];
    const bool derived =
        EVP_BytesToKey(cipher, md5, nullptr, reinterpret_cast<const unsigned char*>(passPhrase.data()),
                       static_cast<int>(passPhrase.size()), 1, key, iv) > 0;
    EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
    const bool keyed =
        derived && context && EVP_DecryptInit_ex2(context.get(), cipher, key, iv, nullptr) == 1;
    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(iv, sizeof iv);
    if (!context) {
        fail(noMemory);
    }
    if (!keyed) {
        fail(notDecrypted);
    }
    return context;
}

std::string decryptWithPassPhrase(std::string_view ciphertext, const SecretString& passPhrase) {
    const EvpCipherCtxPtr context = passPhraseCipher(passPhrase);
    std::string plaintext;
    if (!decryptBlocks(*context, ciphertext, plaintext)) {
        fail(notDecrypted);
    }
    return plaintext;
}

// The certificate the layer names; null when none is given or the bytes are no certificate, in
// which case every recipient is tried.
X509Ptr recipientCertificate(std::string_view der) {
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
    if (der.empty() || der.size() > static_cast<std::size_t>(LONG_MAX)) {
        return nullptr;
    }
    return X509Ptr(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
}

CmsPtr parseEnvelope(std::string_view der) {
    if (der.size() > static_cast<std::size_t>(LONG_MAX)) {
        fail(invalidFormat);
    }
    const auto* cursor = reinterpret_cast<const unsigned char*>(der.data());
    clearLibraryErrors();
    CmsPtr envelope(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.size())));
    if (!envelope) {
        fail(libraryRanOutOfMemory() ? noMemory : invalidFormat);
    }
    return envelope;
}

// Parses the envelope without its encrypted content, and cuts der down to that content where it
// lies: the content is then held once. Nothing, and der untouched, when the DER is laid out otherwise
// or the structure without its content does not parse (the whole DER then says why).
std::optional<CmsPtr> parseWithoutContent(std::string& der) {
    const std::optional<DetachedContent> detached = detachEnvelopeContent(der);
    if (!detached) {
        return std::nullopt;
    }
    const auto* cursor = reinterpret_cast<const unsigned char*>(detached->skeleton.data());
    CmsPtr envelope(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(detached->skeleton.size())));
    if (!envelope) {
        ERR_clear_error();
        return std::nullopt;
    }
    der.erase(0, detached->offset);
    der.resize(detached->length);
    return envelope;
}

// Opens the envelope into plaintext, whose storage is reused when it is large enough.
void openEnvelopeInto(CMS_ContentInfo& envelope, RecipientKey& key, std::string_view recipientCertificateDer,
                      std::string& plaintext) {
    const X509Ptr recipient = recipientCertificate(recipientCertificateDer);
    if (!decryptEnvelope(envelope, key, recipient.get(), plaintext)) {
        fail(notDecrypted);
    }
}

std::string decryptWithRecipientKey(std::string_view armour, RecipientKey& key,
                                    std::string_view recipientCertificateDer) {
    const CmsPtr envelope = parseEnvelope(decodePkcs7Armour(armour, invalidFormat, invalidFormat));
    std::string plaintext;
    openEnvelopeInto(*envelope, key, recipientCertificateDer, plaintext);
    return plaintext;
}

// The input lies in buffer; every step works in buffer's own storage.
void decryptPassPhraseWithin(std::string& buffer, std::string_view input, const SecretString& passPhrase) {
    const EvpCipherCtxPtr context = passPhraseCipher(passPhrase);
    const auto offset = static_cast<std::size_t>(input.data() - buffer.data());
    const std::size_t size = input.size();
    buffer.erase(0, offset);
    buffer.resize(size);
    if (!decryptBlocksWithin(*context, buffer)) {
        fail(notDecrypted);
    }
}

void decryptEnvelopeDataWithin(std::string& buffer, std::string_view input, RecipientKey& key,
                               std::string_view recipientCertificateDer, ArmourForm form) {
    if (form == ArmourForm::Text) {
        decodePkcs7ArmourWithin(buffer, input, invalidFormat, invalidFormat);
    }
    if (std::optional<CmsPtr> envelope = parseWithoutContent(buffer)) {
        const X509Ptr recipient = recipientCertificate(recipientCertificateDer);
        if (!decryptEnvelopeWithin(**envelope, key, recipient.get(), buffer)) {
            fail(notDecrypted);
        }
        return;
    }
    const CmsPtr envelope = parseEnvelope(buffer);
    // The parsed structure holds the ciphertext; the DER's storage receives the plaintext.
    buffer.clear();
    openEnvelopeInto(*envelope, key, recipientCertificateDer, buffer);
}

// The checks common to both modes; keyGiven tells whether there is a key of the mode's kind.
void checkRequest(std::string_view input, bool keyGiven, const SecretString& keyPassword, int decryptMode,
                  int keyFormat) {
    if (input.empty() || !keyGiven) {
        fail(missingDetails);
    }
    if (decryptMode == keyPasswordMode && keyPassword.empty()) {
        fail(missingDetails);
    }
    if ((decryptMode != PassPhraseMode && decryptMode != PrivateKeyMode) || keyFormat != supportedKeyFormat) {
        fail(unsupportedAlgorithm);
    }
}

// What may come out of a decryption. An envelope is checked by its own structure, so empty content is
// content (the job says there is nothing to save); a pass-phrase ciphertext that holds only padding
// could not be read.
enum class EmptyResult { IsContent, IsRefused };

// Runs one decryption into a fresh plaintext.
void replaceOutput(std::string& output, EmptyResult empty, const std::function<std::string()>& decrypt) {
    std::string plaintext;
    try {
        plaintext = decrypt();
    } catch (const std::bad_alloc&) {
        fail(noMemory);
    }
    if (plaintext.empty() && empty == EmptyResult::IsRefused) {
        fail(noMemory);
    }
    output = std::move(plaintext);
}

// Runs one decryption within buffer, which is left empty when it fails.
void replaceWithin(std::string& buffer, std::string_view input, EmptyResult empty,
                   const std::function<void()>& check, const std::function<void()>& decrypt) {
    const auto inside = [&buffer](std::string_view part) {
        return part.data() >= buffer.data() && part.data() + part.size() <= buffer.data() + buffer.size();
    };
    if (!inside(input)) {
        throw std::invalid_argument("decryptDataWithin: the input must lie in the buffer");
    }
    try {
        check();
        try {
            decrypt();
        } catch (const std::bad_alloc&) {
            fail(noMemory);
        }
        if (buffer.empty() && empty == EmptyResult::IsRefused) {
            fail(noMemory);
        }
    } catch (...) {
        buffer.clear();
        throw;
    }
}

} // namespace

void decryptData(std::string_view input, std::string& output, const SecretString& key,
                 const SecretString& keyPassword, int decryptMode, int keyFormat) {
    checkRequest(input, !key.empty(), keyPassword, decryptMode, keyFormat);
    if (decryptMode == PrivateKeyMode) {
        fail(invalidKey);
    }
    replaceOutput(output, EmptyResult::IsRefused, [&] { return decryptWithPassPhrase(input, key); });
}

void decryptData(std::string_view input, std::string& output, RecipientKey& key, int decryptMode,
                 int keyFormat, std::string_view recipientCertificateDer) {
    checkRequest(input, true, SecretString(), decryptMode, keyFormat);
    if (decryptMode != PrivateKeyMode) {
        fail(missingDetails);
    }
    replaceOutput(output, EmptyResult::IsContent,
                  [&] { return decryptWithRecipientKey(input, key, recipientCertificateDer); });
}

void decryptDataWithin(std::string& buffer, std::string_view input, const SecretString& key,
                       const SecretString& keyPassword, int decryptMode, int keyFormat) {
    replaceWithin(
        buffer, input, EmptyResult::IsRefused,
        [&] {
            checkRequest(input, !key.empty(), keyPassword, decryptMode, keyFormat);
            if (decryptMode == PrivateKeyMode) {
                fail(invalidKey);
            }
        },
        [&] { decryptPassPhraseWithin(buffer, input, key); });
}

void decryptDataWithin(std::string& buffer, std::string_view input, RecipientKey& key, int decryptMode,
                       int keyFormat, std::string_view recipientCertificateDer, ArmourForm form) {
    replaceWithin(
        buffer, input, EmptyResult::IsContent,
        [&] {
            checkRequest(input, true, SecretString(), decryptMode, keyFormat);
            if (decryptMode != PrivateKeyMode) {
                fail(missingDetails);
            }
        },
        [&] { decryptEnvelopeDataWithin(buffer, input, key, recipientCertificateDer, form); });
}

std::string hashPassPhrase(std::string_view passPhrase) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(passPhrase.data()), passPhrase.size(), digest);
    if (digest[0] == 0) {
        return {};
    }
    return encodeBase64(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

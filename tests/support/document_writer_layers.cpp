// The document layers: PKCS#7 armour, signed, certificate-encrypted and pass-phrase layers.
#include "support/document_writer.h"
#include "support/document_writer_internal.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/envelope_format.h"

#include <openssl/provider.h>
#include <openssl/rsa.h>
#include <openssl/sha.h>

#include <algorithm>
#include <mutex>

namespace testdoc {

using detail::require;

namespace {

// The stack only borrows its certificates: it is freed without freeing its members.
struct X509StackDeleter {
    void operator()(STACK_OF(X509) * stack) const { sk_X509_free(stack); }
};
using X509StackPtr = std::unique_ptr<STACK_OF(X509), X509StackDeleter>;
using EvpCipherPtr = std::unique_ptr<EVP_CIPHER, OpenSslDeleter<EVP_CIPHER_free>>;

std::string replaceLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t found = text.find("\r\n"); found != std::string_view::npos;
         found = text.find("\r\n", start)) {
        out.append(text.substr(start, found - start)).append(lineBreak);
        start = found + 2;
    }
    return out.append(text.substr(start));
}

BioPtr readOnlyBio(std::string_view bytes) {
    // A zero-length buffer BIO needs a non-null pointer.
    static const char nothing = 0;
    BioPtr bio(BIO_new_mem_buf(bytes.empty() ? &nothing : bytes.data(), static_cast<int>(bytes.size())));
    require(bio != nullptr, "BIO_new_mem_buf");
    return bio;
}

void flipByte(ASN1_OCTET_STRING* octets, std::size_t index) {
    require(octets != nullptr && static_cast<std::size_t>(ASN1_STRING_length(octets)) > index, "tampering");
    octets->data[index] ^= 0x01;
}

// Single DES lives in the legacy provider. It is loaded into a library context of the writer's own,
// so the code under test keeps the default context exactly as a normal process has it.
class LegacyContext {
public:
    LegacyContext() : context_(OSSL_LIB_CTX_new()) {
        require(context_ != nullptr, "OSSL_LIB_CTX_new");
        legacy_ = OSSL_PROVIDER_load(context_, "legacy");
        default_ = OSSL_PROVIDER_load(context_, "default");
        require(legacy_ != nullptr && default_ != nullptr, "loading the legacy provider");
        desCbc_.reset(EVP_CIPHER_fetch(context_, "DES-CBC", nullptr));
        require(desCbc_ != nullptr, "fetching DES-CBC");
    }
    LegacyContext(const LegacyContext&) = delete;
    LegacyContext& operator=(const LegacyContext&) = delete;
    ~LegacyContext() {
        desCbc_.reset();
        OSSL_PROVIDER_unload(default_);
        OSSL_PROVIDER_unload(legacy_);
        OSSL_LIB_CTX_free(context_);
    }
    OSSL_LIB_CTX* context() const { return context_; }
    const EVP_CIPHER* desCbc() const { return desCbc_.get(); }

private:
    OSSL_LIB_CTX* context_;
    OSSL_PROVIDER* legacy_ = nullptr;
    OSSL_PROVIDER* default_ = nullptr;
    EvpCipherPtr desCbc_;
};

const LegacyContext& legacyContext() {
    static const LegacyContext context;
    return context;
}

// DER sorts the members of a SET OF by their encodings, which would lose the order in which signers
// and recipients were added. The sorted run of members is found in the DER and written back in the
// order of the stack (same bytes, same length, so no length field changes).
std::string inStackOrder(std::string der, std::vector<std::string> members) {
    std::string ordered;
    for (const std::string& member : members) {
        ordered += member;
    }
    std::sort(members.begin(), members.end());
    std::string sorted;
    for (const std::string& member : members) {
        sorted += member;
    }
    const std::size_t at = der.find(sorted);
    require(at != std::string::npos, "finding the SET OF members");
    der.replace(at, sorted.size(), ordered);
    return der;
}

// The encodings of the members at(0) .. at(count - 1).
template <typename At, typename Encoder>
std::vector<std::string> encodeEach(int count, At at, Encoder encode) {
    std::vector<std::string> members;
    for (int i = 0; i < count; ++i) {
        members.push_back(detail::toDer(at(i), encode));
    }
    return members;
}

} // namespace

std::string armour(std::string_view der, std::string_view lineBreak) {
    std::string body = encodeBase64(der);
    if (!body.empty() && body.back() != '\n') {
        body += "\r\n";
    }
    return std::string(envelope::pkcs7Begin) + std::string(lineBreak) + replaceLineBreaks(body, lineBreak) +
           std::string(envelope::pkcs7End) + std::string(lineBreak);
}

namespace {

// The CMS code writes its certificates as a SET OF; they, too, keep the order in which they were added.
std::string certificatesInStackOrder(std::string der, STACK_OF(X509) * certificates) {
    if (sk_X509_num(certificates) < 2) {
        return der;
    }
    return inStackOrder(std::move(der),
                        encodeEach(
                            sk_X509_num(certificates),
                            [certificates](int i) { return sk_X509_value(certificates, i); }, i2d_X509));
}

std::string cmsSignedDataDer(std::string_view content, const Identity& signer, const SignOptions& options) {
    BioPtr data = readOnlyBio(content);
    const unsigned int streamed = options.streamed ? CMS_STREAM : 0;
    CmsPtr cms(CMS_sign(nullptr, nullptr, nullptr, nullptr,
                        CMS_PARTIAL | CMS_BINARY | streamed | (options.detached ? CMS_DETACHED : 0)));
    require(cms != nullptr, "CMS_sign");
    for (const X509* leading : options.leadingCertificates) {
        require(CMS_add1_cert(cms.get(), const_cast<X509*>(leading)) == 1, "CMS_add1_cert");
    }
    const unsigned int flags = (options.bySubjectKeyIdentifier ? CMS_USE_KEYID : 0) | CMS_BINARY |
                               CMS_NOSMIMECAP | (options.includeSignerCertificate ? 0 : CMS_NOCERTS);
    require(CMS_add1_signer(cms.get(), signer.certificate.get(), signer.key,
                            options.digest != nullptr ? options.digest : EVP_sha1(), flags) != nullptr,
            "CMS_add1_signer");
    if (options.streamed) {
        const BioPtr out = detail::memoryBio();
        require(i2d_CMS_bio_stream(out.get(), cms.get(), data.get(), CMS_BINARY | CMS_STREAM) == 1,
                "i2d_CMS_bio_stream");
        return detail::bioContents(out.get());
    }
    require(CMS_final(cms.get(), data.get(), nullptr, CMS_BINARY) == 1, "CMS_final");
    const CertificateStackPtr certificates(CMS_get1_certs(cms.get()));
    return certificatesInStackOrder(detail::toDer(cms.get(), i2d_CMS_ContentInfo), certificates.get());
}

// The library signs only with keys it has a signing method for: an Ed25519 signer signs through a
// stand-in certificate with its names and serial number, and its own key then signs the attributes in
// the stand-in's place.
struct SigningKey {
    X509Ptr standIn; // null when the signer's own certificate signs
    X509* certificate;
    EVP_PKEY* key;
};

SigningKey signingKeyOf(const Identity& signer) {
    if (EVP_PKEY_get_id(signer.key) != EVP_PKEY_ED25519) {
        return {nullptr, signer.certificate.get(), signer.key};
    }
    X509Ptr standIn(X509_dup(signer.certificate.get()));
    EVP_PKEY* key = testKey(0);
    require(standIn != nullptr && X509_set_pubkey(standIn.get(), key) == 1 &&
                X509_sign(standIn.get(), key, EVP_sha256()) > 0,
            "stand-in certificate");
    X509* certificate = standIn.get();
    return {std::move(standIn), certificate, key};
}

void signAttributesWithEd25519(PKCS7_SIGNER_INFO* info, EVP_PKEY* key) {
    unsigned char* encoded = nullptr;
    const int length = ASN1_item_i2d(reinterpret_cast<ASN1_VALUE*>(info->auth_attr), &encoded,
                                     ASN1_ITEM_rptr(PKCS7_ATTR_VERIFY));
    require(length > 0, "encoding the signed attributes");
    const std::string attributes(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(length));
    OPENSSL_free(encoded);
    const auto* bytes = reinterpret_cast<const unsigned char*>(attributes.data());
    const std::unique_ptr<EVP_MD_CTX, OpenSslDeleter<EVP_MD_CTX_free>> context(EVP_MD_CTX_new());
    std::size_t signatureLength = 0;
    require(context != nullptr && EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key) == 1 &&
                EVP_DigestSign(context.get(), nullptr, &signatureLength, bytes, attributes.size()) == 1,
            "Ed25519 signing");
    std::string signature(signatureLength, '\0');
    require(EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(signature.data()),
                           &signatureLength, bytes, attributes.size()) == 1 &&
                X509_ALGOR_set0(info->digest_enc_alg, OBJ_nid2obj(NID_ED25519), V_ASN1_UNDEF, nullptr) == 1 &&
                ASN1_STRING_set(info->enc_digest, signature.data(), static_cast<int>(signatureLength)) == 1,
            "Ed25519 signature");
}

// The attribute is replaced and the attributes signed anew, so only the named type is wrong.
void nameContentType(PKCS7_SIGNER_INFO* info, const std::string& oid) {
    ASN1_OBJECT* type = OBJ_txt2obj(oid.c_str(), 1);
    require(type != nullptr &&
                PKCS7_add_signed_attribute(info, NID_pkcs9_contentType, V_ASN1_OBJECT, type) == 1 &&
                PKCS7_SIGNER_INFO_sign(info) == 1,
            "content type attribute");
}

} // namespace

std::string signedDataDer(std::string_view content, const Identity& signer, const SignOptions& options) {
    if (options.bySubjectKeyIdentifier || options.streamed) {
        return cmsSignedDataDer(content, signer, options);
    }
    const EVP_MD* digest = options.digest != nullptr ? options.digest : EVP_sha1();
    Pkcs7Ptr p7(PKCS7_sign(nullptr, nullptr, nullptr, nullptr, PKCS7_PARTIAL | PKCS7_BINARY));
    require(p7 != nullptr, "PKCS7_sign");
    for (const X509* leading : options.leadingCertificates) {
        require(PKCS7_add_certificate(p7.get(), const_cast<X509*>(leading)) == 1, "PKCS7_add_certificate");
    }
    const SigningKey signing = signingKeyOf(signer);
    constexpr int signerFlags = PKCS7_NOSMIMECAP | PKCS7_BINARY;
    // The signer's own certificate is carried, never a stand-in's.
    if ((options.noSigners || signing.standIn) && options.includeSignerCertificate) {
        require(PKCS7_add_certificate(p7.get(), signer.certificate.get()) == 1, "PKCS7_add_certificate");
    }
    if (!options.noSigners) {
        const bool carryOwn = options.includeSignerCertificate && !signing.standIn;
        require(PKCS7_sign_add_signer(p7.get(), signing.certificate, signing.key, digest,
                                      signerFlags | (carryOwn ? 0 : PKCS7_NOCERTS)) != nullptr,
                "PKCS7_sign_add_signer");
        for (const Identity* extra : options.extraSigners) {
            require(PKCS7_sign_add_signer(p7.get(), extra->certificate.get(), extra->key, digest,
                                          signerFlags) != nullptr,
                    "PKCS7_sign_add_signer");
        }
    }
    for (const X509* extra : options.extraCertificates) {
        require(PKCS7_add_certificate(p7.get(), const_cast<X509*>(extra)) == 1, "PKCS7_add_certificate");
    }
    if (options.detached) {
        require(PKCS7_set_detached(p7.get(), 1) == 1, "PKCS7_set_detached");
    }
    const std::string_view signedContent = options.emptyContent ? std::string_view() : content;
    BioPtr data = readOnlyBio(signedContent);
    require(PKCS7_final(p7.get(), data.get(), PKCS7_BINARY) == 1, "PKCS7_final");

    if (options.tamperAfterSigning) {
        require(!options.detached, "tampering with detached content");
        ASN1_OCTET_STRING* octets = p7->d.sign->contents->d.data;
        if (ASN1_STRING_length(octets) == 0) {
            require(ASN1_OCTET_STRING_set(octets, reinterpret_cast<const unsigned char*>("x"), 1) == 1,
                    "tampering");
        } else {
            flipByte(octets, 0);
        }
    }
    if (options.extraSignersTampered && !options.extraSigners.empty()) {
        STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7.get());
        PKCS7_SIGNER_INFO* last = sk_PKCS7_SIGNER_INFO_value(signers, sk_PKCS7_SIGNER_INFO_num(signers) - 1);
        flipByte(last->enc_digest, static_cast<std::size_t>(ASN1_STRING_length(last->enc_digest)) / 2);
    }
    STACK_OF(PKCS7_SIGNER_INFO)* signers = PKCS7_get_signer_info(p7.get());
    if (!options.noSigners && !options.contentTypeAttribute.empty()) {
        nameContentType(sk_PKCS7_SIGNER_INFO_value(signers, 0), options.contentTypeAttribute);
    }
    if (!options.noSigners && signing.standIn) {
        signAttributesWithEd25519(sk_PKCS7_SIGNER_INFO_value(signers, 0), signer.key);
    }
    return inStackOrder(detail::toDer(p7.get(), i2d_PKCS7),
                        encodeEach(
                            sk_PKCS7_SIGNER_INFO_num(signers),
                            [signers](int i) { return sk_PKCS7_SIGNER_INFO_value(signers, i); },
                            i2d_PKCS7_SIGNER_INFO));
}

std::string signedLayer(std::string_view content, const Identity& signer, const SignOptions& options) {
    return armour(signedDataDer(content, signer, options));
}

namespace {

// The cipher, and the library context it comes from (null for the default one).
std::pair<const EVP_CIPHER*, OSSL_LIB_CTX*> evpCipher(ContentCipher cipher) {
    switch (cipher) {
    case ContentCipher::DesEde3Cbc:
        return {EVP_des_ede3_cbc(), nullptr};
    case ContentCipher::Aes128Cbc:
        return {EVP_aes_128_cbc(), nullptr};
    case ContentCipher::Aes192Cbc:
        return {EVP_aes_192_cbc(), nullptr};
    case ContentCipher::Aes256Cbc:
        return {EVP_aes_256_cbc(), nullptr};
    case ContentCipher::DesCbc:
        return {legacyContext().desCbc(), legacyContext().context()};
    case ContentCipher::Aes256Gcm:
        return {EVP_aes_256_gcm(), nullptr};
    }
    return {nullptr, nullptr};
}

// A copy the CMS code takes over and frees.
unsigned char* libraryCopy(std::string_view bytes) {
    auto* copy = static_cast<unsigned char*>(OPENSSL_memdup(bytes.data(), bytes.size()));
    require(copy != nullptr, "OPENSSL_memdup");
    return copy;
}

void useOaep(CMS_RecipientInfo* recipient, const CmsEnvelopeSpec& spec) {
    EVP_PKEY_CTX* context = CMS_RecipientInfo_get0_pkey_ctx(recipient);
    require(context != nullptr && EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_OAEP_PADDING) > 0 &&
                EVP_PKEY_CTX_set_rsa_oaep_md(context, spec.oaepDigest) > 0 &&
                EVP_PKEY_CTX_set_rsa_mgf1_md(context, spec.oaepDigest) > 0,
            "OAEP parameters");
    if (!spec.oaepLabel.empty()) {
        require(EVP_PKEY_CTX_set0_rsa_oaep_label(context, libraryCopy(spec.oaepLabel),
                                                 static_cast<int>(spec.oaepLabel.size())) > 0,
                "OAEP label");
    }
}

} // namespace

std::string envelopedDataDer(std::string_view content, const std::vector<const X509*>& recipients,
                             ContentCipher cipher) {
    X509StackPtr stack(sk_X509_new_null());
    require(stack != nullptr, "sk_X509_new_null");
    for (const X509* recipient : recipients) {
        require(sk_X509_push(stack.get(), const_cast<X509*>(recipient)) > 0, "sk_X509_push");
    }
    const auto [evp, context] = evpCipher(cipher);
    BioPtr data = readOnlyBio(content);
    Pkcs7Ptr p7(PKCS7_encrypt_ex(stack.get(), data.get(), evp, PKCS7_BINARY, context, nullptr));
    require(p7 != nullptr, "PKCS7_encrypt_ex");
    STACK_OF(PKCS7_RECIP_INFO)* infos = p7->d.enveloped->recipientinfo;
    return inStackOrder(detail::toDer(p7.get(), i2d_PKCS7),
                        encodeEach(
                            sk_PKCS7_RECIP_INFO_num(infos),
                            [infos](int i) { return sk_PKCS7_RECIP_INFO_value(infos, i); },
                            i2d_PKCS7_RECIP_INFO));
}

std::string cmsEnvelopedDataDer(std::string_view content, const std::vector<const X509*>& recipients,
                                const CmsEnvelopeSpec& spec) {
    const auto [evp, context] = evpCipher(spec.cipher);
    BioPtr data = readOnlyBio(content);
    CmsPtr cms(CMS_encrypt_ex(nullptr, data.get(), evp, CMS_BINARY | CMS_PARTIAL, context, nullptr));
    require(cms != nullptr, "CMS_encrypt_ex");
    const unsigned int flags = CMS_KEY_PARAM | (spec.bySubjectKeyIdentifier ? CMS_USE_KEYID : 0);
    for (const X509* recipient : recipients) {
        CMS_RecipientInfo* info = CMS_add1_recipient_cert(cms.get(), const_cast<X509*>(recipient), flags);
        require(info != nullptr, "CMS_add1_recipient_cert");
        if (spec.oaepDigest != nullptr && CMS_RecipientInfo_type(info) == CMS_RECIPINFO_TRANS) {
            useOaep(info, spec);
        }
    }
    if (spec.keyEncryptionKeyRecipient) {
        constexpr std::string_view key = "0123456789abcdef";
        constexpr std::string_view id = "key-encryption key";
        require(CMS_add0_recipient_key(cms.get(), NID_undef, libraryCopy(key), key.size(), libraryCopy(id),
                                       id.size(), nullptr, nullptr, nullptr) != nullptr,
                "CMS_add0_recipient_key");
    }
    if (!spec.passwordRecipient.empty()) {
        require(CMS_add0_recipient_password(
                    cms.get(), -1, NID_undef, NID_undef, libraryCopy(spec.passwordRecipient),
                    static_cast<ossl_ssize_t>(spec.passwordRecipient.size()), nullptr) != nullptr,
                "CMS_add0_recipient_password");
    }
    require(CMS_final(cms.get(), data.get(), nullptr, CMS_BINARY) == 1, "CMS_final");
    return detail::toDer(cms.get(), i2d_CMS_ContentInfo);
}

std::string asymmetricLayer(std::string_view content, const X509* certificate,
                            const std::vector<const X509*>& recipients, ContentCipher cipher) {
    const std::vector<const X509*> to =
        recipients.empty() ? std::vector<const X509*>{certificate} : recipients;
    return std::string(envelope::asymmetricMarker) + encodeBase64(certificateDer(certificate)) +
           std::string(envelope::certificateEnd) + armour(envelopedDataDer(content, to, cipher));
}

std::string passPhraseCiphertext(std::string_view content, std::string_view passPhrase) {
    unsigned char key[EVP_MAX_KEY_LENGTH];
    unsigned char iv[EVP_MAX_IV_LENGTH];
    require(EVP_BytesToKey(EVP_des_ede3_cbc(), EVP_md5(), nullptr,
                           reinterpret_cast<const unsigned char*>(passPhrase.data()),
                           static_cast<int>(passPhrase.size()), 1, key, iv) > 0,
            "EVP_BytesToKey");
    EvpCipherCtxPtr context(EVP_CIPHER_CTX_new());
    require(context != nullptr, "EVP_CIPHER_CTX_new");
    require(EVP_EncryptInit_ex2(context.get(), EVP_des_ede3_cbc(), key, iv, nullptr) == 1,
            "EVP_EncryptInit_ex2");
    OPENSSL_cleanse(key, sizeof key);
    std::string out(content.size() + 8, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    int written = 0;
    require(EVP_EncryptUpdate(context.get(), o, &written,
                              reinterpret_cast<const unsigned char*>(content.data()),
                              static_cast<int>(content.size())) == 1,
            "EVP_EncryptUpdate");
    int last = 0;
    require(EVP_EncryptFinal_ex(context.get(), o + written, &last) == 1, "EVP_EncryptFinal_ex");
    out.resize(static_cast<std::size_t>(written + last));
    return out;
}

std::string passPhraseCheckValue(std::string_view passPhrase) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(passPhrase.data()), passPhrase.size(), digest);
    if (digest[0] == 0) {
        return {};
    }
    return encodeBase64(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
}

std::string symmetricLayer(std::string_view content, std::string_view passPhrase, std::string_view prefix) {
    return std::string(envelope::symmetricMarker) + std::string(prefix) + envelope::symmetricSeparator +
           passPhraseCheckValue(passPhrase) + envelope::symmetricSeparator +
           encodeBase64(passPhraseCiphertext(content, passPhrase));
}

std::string passPhraseWithEmptyCheckValue() {
    static std::once_flag once;
    static std::string found;
    std::call_once(once, [] {
        for (unsigned long candidate = 0;; ++candidate) {
            std::string phrase = "phrase-" + std::to_string(candidate);
            if (passPhraseCheckValue(phrase).empty()) {
                found = std::move(phrase);
                return;
            }
        }
    });
    return found;
}

} // namespace testdoc

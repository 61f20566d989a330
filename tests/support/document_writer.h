#pragma once
// Makes test material in code: RSA keys, certificates, CRLs, PKCS#12 files and every kind of
// document layer, so that no test depends on checked-in files. Not part of the product.
#include "e2eCrypto/openssl_handles.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testdoc {

// A cached RSA key: the same (index, bits) gives the same key within one test process, so suites do
// not pay for key generation over and over. Distinct indexes give distinct keys.
EVP_PKEY* testKey(int index, int bits = 2048);

// A serial number of any size, as real authorities issue them (up to 20 bytes): a long, or
// hexadecimal digits with an optional "-" before them; leading zeros do not change the number.
class SerialNumber {
public:
    SerialNumber(long value); // implicit, so that `.serial = 9` reads as a number
    static SerialNumber hex(std::string digits);
    const std::string& hexDigits() const { return hex_; }

private:
    SerialNumber() = default;
    std::string hex_;
};

struct CertificateOptions {
    // One-line subject as OpenSSL prints it, values in UTF-8, "\\/" for a slash inside a value;
    // "emailAddress" is the attribute for e-mail.
    std::string subject = "/C=US/O=Acme Ltd/OU=Sales/CN=Test Signer/emailAddress=signer@example.com";
    SerialNumber serial = 1;
    // Validity relative to now, in seconds, unless the explicit ASN.1 strings are given.
    std::int64_t notBeforeOffset = -24 * 3600;
    std::int64_t notAfterOffset = 365 * 24 * 3600;
    // Explicit dates are stored as written, e.g. "0312312359Z" or "20200101000000Z", and override the
    // offset; fourteen or more leading digits make a GeneralizedTime, fewer a UTCTime.
    std::string notBefore{};
    std::string notAfter{};
    bool generalizedTime = false; // use GeneralizedTime for offset-made dates
    int keyIndex = 0;
    int keyBits = 2048;
    bool isCa = false;
    // A comment extension of this many bytes makes a certificate as large as needed.
    std::size_t commentBytes = 0;
    bool subjectKeyIdentifier = false;     // carries the extension that lets CMS name it by key identifier
    const X509* keyIdentifierOf = nullptr; // that extension copied from this certificate (a look-alike)
    bool ellipticCurve = false;            // a P-256 key (keyBits unused) instead of RSA
    bool ed25519 = false;                  // an Ed25519 key (keyBits unused) instead of RSA
    // The RSA key's public half with an exponent nearly as long as its modulus (it cannot sign).
    bool hugePublicExponent = false;
    std::string crlDistributionPoint{}; // a URI its CRL distribution points extension names
    // Extensions as the library's configuration writes them ("critical,CA:TRUE,pathlen:0",
    // "keyCertSign", "serverAuth"); basicConstraints and keyUsage replace those isCa adds.
    std::string basicConstraints{};
    std::string keyUsage{};
    std::string extendedKeyUsage{};
    const EVP_MD* issuerDigest = nullptr; // the digest the issuer signs it with; SHA-256 when null
};

struct Identity {
    EVP_PKEY* key = nullptr; // owned by the key cache
    X509Ptr certificate;
};

// Self-signed when issuer is null.
Identity makeIdentity(const CertificateOptions& options, const Identity* issuer = nullptr);

std::string certificateDer(const X509* certificate);
std::string certificatePem(const X509* certificate);
// A password-less (or password-protected) PKCS#12 holding the certificate and its key.
std::string pkcs12(const Identity& identity, const std::string& password = "");
// The Netscape form: SEQUENCE { OCTET STRING header, Certificate }.
std::string netscapeCertificate(const X509* certificate, std::string_view header = "certificate");
// Traditional encrypted PEM "RSA PRIVATE KEY" under password (DES-EDE3-CBC).
std::string encryptedPrivateKeyPem(EVP_PKEY* key, const std::string& password);

// What an issuing distribution point limits a CRL to; none is written when nothing is set.
struct CrlScope {
    bool onlyUser = false;
    bool onlyCa = false;
    bool onlyAttributes = false;
    bool someReasons = false; // key compromise only
    bool indirect = false;
    std::string distributionPoint{}; // a URI
};

struct CrlOptions {
    std::vector<SerialNumber> revokedSerials{};
    bool pem = false;
    std::int64_t lastUpdateOffset = -3600;
    // Explicit dates ("20300101000000Z") override the offset; nextUpdate is otherwise 30 days later.
    std::string lastUpdate{};
    std::string nextUpdate{};
    bool noNextUpdate = false;
    bool entriesRemoveFromCrl = false; // every entry's reason is removeFromCRL
    bool delta = false;                // a delta CRL on base list 1
    CrlScope scope{};
    bool unknownCriticalExtension = false;        // on the list
    bool entriesUnknownCriticalExtension = false; // on every entry
    std::string entriesCertificateIssuer{};       // every entry names this one-line issuer
};
std::string makeCrl(const Identity& issuer, const CrlOptions& options);

// The armour around DER: "-----BEGIN PKCS7-----", CR LF, Base64 lines, "-----END PKCS7-----", CR LF.
// lineBreak may be "\r\n", "\n" or "\r".
std::string armour(std::string_view der, std::string_view lineBreak = "\r\n");

struct SignOptions {
    bool detached = false;
    bool includeSignerCertificate = true; // the first signer's certificate; extra signers always carry theirs
    bool noSigners = false;               // signedData with content and an empty signer list
    bool tamperAfterSigning = false; // the content is changed after the signature was made (not detached)
    bool emptyContent = false;       // signedData whose content is present but empty
    const EVP_MD* digest = nullptr;  // SHA-1 when null
    std::vector<const Identity*> extraSigners{};    // signed by these too, in order, after the first
    bool extraSignersTampered = false;              // the last extra signer's signature is broken
    std::vector<const X509*> extraCertificates{};   // carried in the signedData besides the signers'
    std::vector<const X509*> leadingCertificates{}; // carried before every other certificate
    std::string contentTypeAttribute{}; // the first signer's signed content type names this OID instead
    // Made by the CMS code with the signer named by subject key identifier (its certificate needs one);
    // only detached, includeSignerCertificate, leadingCertificates and digest apply then.
    bool bySubjectKeyIdentifier = false;
    // Made by the CMS code as a streaming writer writes it: indefinite lengths, the content in pieces of
    // a constructed OCTET STRING; the same options apply as for bySubjectKeyIdentifier.
    bool streamed = false;
};
// The DER of a signedData over content. An Ed25519 signer signs its attributes itself, as newer
// tools do: the library's own signing code cannot make such a signature.
std::string signedDataDer(std::string_view content, const Identity& signer, const SignOptions& options = {});
// A signed layer: the armour of signedDataDer.
std::string signedLayer(std::string_view content, const Identity& signer, const SignOptions& options = {});

// AES-256-GCM makes authEnvelopedData, so only cmsEnvelopedDataDer takes it.
enum class ContentCipher { DesEde3Cbc, Aes128Cbc, Aes192Cbc, Aes256Cbc, DesCbc, Aes256Gcm };
// The DER of an envelopedData over content, one RecipientInfo per certificate, in order.
std::string envelopedDataDer(std::string_view content, const std::vector<const X509*>& recipients,
                             ContentCipher cipher = ContentCipher::DesEde3Cbc);
struct CmsEnvelopeOptions {
    ContentCipher cipher = ContentCipher::Aes256Cbc;
    bool bySubjectKeyIdentifier = false; // recipients named by key identifier (their certificates need one)
    const EVP_MD* oaepDigest = nullptr; // RSA-OAEP with this digest (and MGF1 with it); PKCS#1 v1.5 when null
    std::string oaepLabel{};
    bool keyEncryptionKeyRecipient = false; // one more recipient, for a symmetric key-encryption key
    std::string passwordRecipient{};        // one more recipient, for this password, when not empty
};
// The DER of an envelopedData as the CMS code of current tools makes it, for the certificates (RSA keys
// get key transport, elliptic-curve keys key agreement); DER puts the recipients in its own order.
std::string cmsEnvelopedDataDer(std::string_view content, const std::vector<const X509*>& recipients,
                                const CmsEnvelopeOptions& options = {});
// A certificate-encrypted layer: "-----ID353-3CBC-----@@", Base64 of the certificate DER (CR LF
// lines), "@@", then the armour of envelopedDataDer for the recipients (the certificate's own first
// unless listed otherwise).
std::string asymmetricLayer(std::string_view content, const X509* certificate,
                            const std::vector<const X509*>& recipients = {},
                            ContentCipher cipher = ContentCipher::DesEde3Cbc);

// DES-EDE3-CBC ciphertext of content under the key EVP_BytesToKey(MD5, no salt, 1 round) derives.
std::string passPhraseCiphertext(std::string_view content, std::string_view passPhrase);
// A pass-phrase layer: "-----SYMMETRIC-----", prefix, "|", hashPassPhrase(passPhrase), "|",
// Base64 of passPhraseCiphertext (CR LF lines).
std::string symmetricLayer(std::string_view content, std::string_view passPhrase,
                           std::string_view prefix = "Q1");

// The check value of a pass phrase: Base64 of its SHA-1 digest, or empty when the digest begins
// with a zero byte.
std::string passPhraseCheckValue(std::string_view passPhrase);

// A pass phrase whose SHA-1 digest begins with a zero byte (its check value is empty).
std::string passPhraseWithEmptyCheckValue();

} // namespace testdoc

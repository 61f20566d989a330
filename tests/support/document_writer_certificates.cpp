// Keys, certificates, CRLs and the containers that carry them.
#include "support/document_writer.h"
#include "support/document_writer_internal.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <map>
#include <mutex>
#include <utility>

namespace testdoc {

using detail::require;

namespace {

using Asn1TimePtr = std::unique_ptr<ASN1_TIME, OpenSslDeleter<ASN1_TIME_free>>;
using X509ExtensionPtr = std::unique_ptr<X509_EXTENSION, OpenSslDeleter<X509_EXTENSION_free>>;
using X509RevokedPtr = std::unique_ptr<X509_REVOKED, OpenSslDeleter<X509_REVOKED_free>>;
using Asn1IntegerPtr = std::unique_ptr<ASN1_INTEGER, OpenSslDeleter<ASN1_INTEGER_free>>;

constexpr std::int64_t crlValidity = 30 * 24 * 3600;

// "/C=US/O=Acme Ltd/CN=x" -> X509_NAME; each "/"-separated piece is one attribute, its value UTF-8.
void fillName(X509_NAME* name, const std::string& oneLine) {
    std::size_t start = 0;
    while (start < oneLine.size()) {
        std::size_t end = oneLine.find('/', start);
        if (end == std::string::npos) {
            end = oneLine.size();
        }
        const std::string piece = oneLine.substr(start, end - start);
        start = end + 1;
        if (piece.empty()) {
            continue;
        }
        const std::size_t equals = piece.find('=');
        require(equals != std::string::npos, "subject attribute without '='");
        const std::string field = piece.substr(0, equals);
        const std::string value = piece.substr(equals + 1);
        require(X509_NAME_add_entry_by_txt(name, field.c_str(), MBSTRING_UTF8,
                                           reinterpret_cast<const unsigned char*>(value.data()),
                                           static_cast<int>(value.size()), -1, 0) == 1,
                "X509_NAME_add_entry_by_txt");
    }
}

// An explicit date is stored exactly as written, even where the library would not write it that way
// (UTCTime without seconds, offsets). Fourteen or more leading digits make it a GeneralizedTime.
Asn1TimePtr explicitTime(const std::string& text) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    const int type = digits >= 14 ? V_ASN1_GENERALIZEDTIME : V_ASN1_UTCTIME;
    Asn1TimePtr time(ASN1_STRING_type_new(type));
    require(time != nullptr, "ASN1_STRING_type_new");
    require(ASN1_STRING_set(time.get(), text.data(), static_cast<int>(text.size())) == 1, "ASN1_STRING_set");
    return time;
}

Asn1TimePtr offsetTime(std::int64_t offsetSeconds, bool generalizedTime) {
    const std::time_t now = std::time(nullptr);
    const long days = static_cast<long>(offsetSeconds / (24 * 3600));
    const long seconds = static_cast<long>(offsetSeconds % (24 * 3600));
    ASN1_TIME* made = generalizedTime
                          ? ASN1_GENERALIZEDTIME_adj(nullptr, now, static_cast<int>(days), seconds)
                          : ASN1_UTCTIME_adj(nullptr, now, static_cast<int>(days), seconds);
    require(made != nullptr, "ASN1 time adjustment");
    return Asn1TimePtr(made);
}

Asn1TimePtr certificateTime(const std::string& text, std::int64_t offset, bool generalizedTime) {
    return text.empty() ? offsetTime(offset, generalizedTime) : explicitTime(text);
}

void addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509ExtensionPtr extension(X509V3_EXT_nconf_nid(nullptr, &context, nid, value));
    require(extension != nullptr, "X509V3_EXT_nconf_nid");
    require(X509_add_ext(certificate, extension.get(), -1) == 1, "X509_add_ext");
}

} // namespace

namespace {

// Keys by (index, bits); bits 0 stands for a P-256 key.
EVP_PKEY* cachedKey(int index, int bits) {
    static std::mutex mutex;
    static std::map<std::pair<int, int>, EvpPkeyPtr> keys;
    const std::lock_guard lock(mutex);
    auto& key = keys[{index, bits}];
    if (!key) {
        key.reset(bits == 0 ? EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256")
                            : EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(bits)));
        require(key != nullptr, "key generation");
    }
    return key.get();
}

} // namespace

EVP_PKEY* testKey(int index, int bits) {
    require(bits > 0, "RSA key size");
    return cachedKey(index, bits);
}

Identity makeIdentity(const CertificateSpec& spec, const Identity* issuer) {
    Identity identity;
    identity.key = spec.ellipticCurve ? cachedKey(spec.keyIndex, 0) : testKey(spec.keyIndex, spec.keyBits);
    identity.certificate.reset(X509_new());
    X509* certificate = identity.certificate.get();
    require(certificate != nullptr, "X509_new");
    require(X509_set_version(certificate, X509_VERSION_3) == 1, "X509_set_version");
    require(ASN1_INTEGER_set(X509_get_serialNumber(certificate), spec.serial) == 1, "ASN1_INTEGER_set");
    fillName(X509_get_subject_name(certificate), spec.subject);
    X509* signerCertificate = issuer != nullptr ? issuer->certificate.get() : certificate;
    require(X509_set_issuer_name(certificate, X509_get_subject_name(signerCertificate)) == 1,
            "X509_set_issuer_name");
    require(X509_set1_notBefore(
                certificate,
                certificateTime(spec.notBefore, spec.notBeforeOffset, spec.generalizedTime).get()) == 1,
            "X509_set1_notBefore");
    require(X509_set1_notAfter(
                certificate,
                certificateTime(spec.notAfter, spec.notAfterOffset, spec.generalizedTime).get()) == 1,
            "X509_set1_notAfter");
    require(X509_set_pubkey(certificate, identity.key) == 1, "X509_set_pubkey");
    if (spec.isCa) {
        addExtension(certificate, signerCertificate, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(certificate, signerCertificate, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    if (spec.commentBytes > 0) {
        addExtension(certificate, signerCertificate, NID_netscape_comment,
                     std::string(spec.commentBytes, 'c').c_str());
    }
    if (spec.subjectKeyIdentifier) {
        addExtension(certificate, signerCertificate, NID_subject_key_identifier, "hash");
    }
    EVP_PKEY* signingKey = issuer != nullptr ? issuer->key : identity.key;
    require(X509_sign(certificate, signingKey, EVP_sha256()) > 0, "X509_sign");
    return identity;
}

std::string certificateDer(const X509* certificate) {
    return detail::toDer(certificate, i2d_X509);
}

std::string certificatePem(const X509* certificate) {
    BioPtr bio = detail::memoryBio();
    require(PEM_write_bio_X509(bio.get(), certificate) == 1, "PEM_write_bio_X509");
    return detail::bioContents(bio.get());
}

std::string pkcs12(const Identity& identity, const std::string& password) {
    Pkcs12Ptr container(PKCS12_create(password.c_str(), "test identity", identity.key,
                                      identity.certificate.get(), nullptr, 0, 0, 0, 0, 0));
    require(container != nullptr, "PKCS12_create");
    return detail::toDer(container.get(), i2d_PKCS12);
}

namespace {

std::string derLength(std::size_t length) {
    if (length < 0x80) {
        return std::string(1, static_cast<char>(length));
    }
    std::string bytes;
    for (std::size_t rest = length; rest != 0; rest >>= 8) {
        bytes.insert(bytes.begin(), static_cast<char>(rest & 0xFF));
    }
    return std::string(1, static_cast<char>(0x80 | bytes.size())) + bytes;
}

std::string derElement(unsigned char tag, std::string_view content) {
    return std::string(1, static_cast<char>(tag)) + derLength(content.size()) + std::string(content);
}

} // namespace

std::string netscapeCertificate(const X509* certificate, std::string_view header) {
    constexpr unsigned char octetString = 0x04;
    constexpr unsigned char sequence = 0x30;
    return derElement(sequence, derElement(octetString, header) + certificateDer(certificate));
}

std::string encryptedPrivateKeyPem(EVP_PKEY* key, const std::string& password) {
    BioPtr bio = detail::memoryBio();
    require(PEM_write_bio_PrivateKey_traditional(bio.get(), key, EVP_des_ede3_cbc(),
                                                 reinterpret_cast<const unsigned char*>(password.data()),
                                                 static_cast<int>(password.size()), nullptr, nullptr) == 1,
            "PEM_write_bio_PrivateKey_traditional");
    return detail::bioContents(bio.get());
}

std::string makeCrl(const Identity& issuer, const CrlSpec& spec) {
    X509CrlPtr crl(X509_CRL_new());
    require(crl != nullptr, "X509_CRL_new");
    require(X509_CRL_set_version(crl.get(), X509_CRL_VERSION_2) == 1, "X509_CRL_set_version");
    require(X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(issuer.certificate.get())) == 1,
            "X509_CRL_set_issuer_name");
    const Asn1TimePtr lastUpdate = offsetTime(spec.lastUpdateOffset, false);
    const Asn1TimePtr nextUpdate = offsetTime(spec.lastUpdateOffset + crlValidity, false);
    require(X509_CRL_set1_lastUpdate(crl.get(), lastUpdate.get()) == 1, "X509_CRL_set1_lastUpdate");
    require(X509_CRL_set1_nextUpdate(crl.get(), nextUpdate.get()) == 1, "X509_CRL_set1_nextUpdate");
    for (const long serial : spec.revokedSerials) {
        X509RevokedPtr entry(X509_REVOKED_new());
        Asn1IntegerPtr number(ASN1_INTEGER_new());
        require(entry != nullptr && number != nullptr && ASN1_INTEGER_set(number.get(), serial) == 1,
                "revoked entry");
        require(X509_REVOKED_set_serialNumber(entry.get(), number.get()) == 1,
                "X509_REVOKED_set_serialNumber");
        require(X509_REVOKED_set_revocationDate(entry.get(), lastUpdate.get()) == 1,
                "X509_REVOKED_set_revocationDate");
        require(X509_CRL_add0_revoked(crl.get(), entry.get()) == 1, "X509_CRL_add0_revoked");
        entry.release(); // now owned by the CRL
    }
    require(X509_CRL_sort(crl.get()) == 1, "X509_CRL_sort");
    require(X509_CRL_sign(crl.get(), issuer.key, EVP_sha256()) > 0, "X509_CRL_sign");
    if (!spec.pem) {
        return detail::toDer(crl.get(), i2d_X509_CRL);
    }
    BioPtr bio = detail::memoryBio();
    require(PEM_write_bio_X509_CRL(bio.get(), crl.get()) == 1, "PEM_write_bio_X509_CRL");
    return detail::bioContents(bio.get());
}

} // namespace testdoc

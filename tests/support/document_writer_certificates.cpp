// Keys, certificates, CRLs and the containers that carry them.
#include "support/document_writer.h"
#include "support/document_writer_internal.h"

#include <openssl/core_names.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <map>
#include <mutex>
#include <utility>

namespace testdoc {

using detail::require;

namespace {

using X509ExtensionPtr = std::unique_ptr<X509_EXTENSION, OpenSslDeleter<X509_EXTENSION_free>>;
using X509RevokedPtr = std::unique_ptr<X509_REVOKED, OpenSslDeleter<X509_REVOKED_free>>;

constexpr std::int64_t crlValidity = 30 * 24 * 3600;

// "/C=US/O=Acme Ltd/CN=x" -> X509_NAME; each "/"-separated piece is one attribute, its value UTF-8.
// "\/" inside a value is a slash of the value; every other backslash is kept as written.
void fillName(X509_NAME* name, const std::string& oneLine) {
    std::size_t start = 0;
    while (start < oneLine.size()) {
        std::string piece;
        for (; start < oneLine.size() && oneLine[start] != '/'; ++start) {
            start += oneLine.compare(start, 2, "\\/") == 0 ? 1 : 0;
            piece += oneLine[start];
        }
        ++start;
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

// Keys by (index, bits); bits 0 stands for a P-256 key and -1 for an Ed25519 key.
constexpr int p256Bits = 0;
constexpr int ed25519Bits = -1;

EVP_PKEY* cachedKey(int index, int bits) {
    static std::mutex mutex;
    static std::map<std::pair<int, int>, EvpPkeyPtr> keys;
    const std::lock_guard lock(mutex);
    auto& key = keys[{index, bits}];
    if (!key) {
        key.reset(bits == p256Bits ? EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256")
                  : bits == ed25519Bits
                      ? EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519")
                      : EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(bits)));
        require(key != nullptr, "key generation");
    }
    return key.get();
}

// The public half of testKey(index, bits) with the exponent replaced by one a bit shorter than the
// modulus: odd and below it, so the library still computes with it, slowly.
EVP_PKEY* hugeExponentKey(int index, int bits) {
    static std::mutex mutex;
    static std::map<std::pair<int, int>, EvpPkeyPtr> keys;
    EVP_PKEY* base = cachedKey(index, bits);
    const std::lock_guard lock(mutex);
    auto& key = keys[{index, bits}];
    if (!key) {
        BIGNUM* modulus = nullptr;
        require(EVP_PKEY_get_bn_param(base, OSSL_PKEY_PARAM_RSA_N, &modulus) == 1, "RSA modulus");
        const BignumPtr n(modulus);
        const BignumPtr e(BN_dup(n.get()));
        require(e != nullptr && BN_rshift1(e.get(), e.get()) == 1 && BN_set_bit(e.get(), 0) == 1,
                "RSA exponent");
        const std::unique_ptr<OSSL_PARAM_BLD, OpenSslDeleter<OSSL_PARAM_BLD_free>> builder(
            OSSL_PARAM_BLD_new());
        require(builder != nullptr &&
                    OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) == 1 &&
                    OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) == 1,
                "RSA parameters");
        const std::unique_ptr<OSSL_PARAM, OpenSslDeleter<OSSL_PARAM_free>> params(
            OSSL_PARAM_BLD_to_param(builder.get()));
        const EvpPkeyCtxPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
        EVP_PKEY* made = nullptr;
        require(params != nullptr && context != nullptr && EVP_PKEY_fromdata_init(context.get()) == 1 &&
                    EVP_PKEY_fromdata(context.get(), &made, EVP_PKEY_PUBLIC_KEY, params.get()) == 1,
                "RSA public key");
        key.reset(made);
    }
    return key.get();
}

// Ed25519 signs without a separate digest.
const EVP_MD* signingDigest(EVP_PKEY* key) {
    return EVP_PKEY_get_id(key) == EVP_PKEY_ED25519 ? nullptr : EVP_sha256();
}

} // namespace

SerialNumber::SerialNumber(long value) {
    const BignumPtr number(BN_new());
    require(number != nullptr &&
                BN_set_word(number.get(), static_cast<BN_ULONG>(value < 0 ? -value : value)) == 1,
            "serial number");
    BN_set_negative(number.get(), value < 0 ? 1 : 0);
    char* digits = BN_bn2hex(number.get());
    require(digits != nullptr, "BN_bn2hex");
    hex_ = digits;
    OPENSSL_free(digits);
}

SerialNumber SerialNumber::hex(std::string digits) {
    SerialNumber serial;
    serial.hex_ = std::move(digits);
    return serial;
}

namespace detail {

Asn1IntegerPtr asn1Integer(const SerialNumber& serial) {
    BIGNUM* parsed = nullptr;
    require(BN_hex2bn(&parsed, serial.hexDigits().c_str()) > 0, "BN_hex2bn");
    const BignumPtr number(parsed);
    Asn1IntegerPtr integer(BN_to_ASN1_INTEGER(number.get(), nullptr));
    require(integer != nullptr, "BN_to_ASN1_INTEGER");
    return integer;
}

} // namespace detail

EVP_PKEY* testKey(int index, int bits) {
    require(bits > 0, "RSA key size");
    return cachedKey(index, bits);
}

Identity makeIdentity(const CertificateOptions& options, const Identity* issuer) {
    Identity identity;
    identity.key = options.ellipticCurve        ? cachedKey(options.keyIndex, p256Bits)
                   : options.ed25519            ? cachedKey(options.keyIndex, ed25519Bits)
                   : options.hugePublicExponent ? hugeExponentKey(options.keyIndex, options.keyBits)
                                                : testKey(options.keyIndex, options.keyBits);
    identity.certificate.reset(X509_new());
    X509* certificate = identity.certificate.get();
    require(certificate != nullptr, "X509_new");
    require(X509_set_version(certificate, X509_VERSION_3) == 1, "X509_set_version");
    require(X509_set_serialNumber(certificate, detail::asn1Integer(options.serial).get()) == 1,
            "X509_set_serialNumber");
    fillName(X509_get_subject_name(certificate), options.subject);
    X509* signerCertificate = issuer != nullptr ? issuer->certificate.get() : certificate;
    require(X509_set_issuer_name(certificate, X509_get_subject_name(signerCertificate)) == 1,
            "X509_set_issuer_name");
    require(X509_set1_notBefore(
                certificate,
                certificateTime(options.notBefore, options.notBeforeOffset, options.generalizedTime).get()) ==
                1,
            "X509_set1_notBefore");
    require(X509_set1_notAfter(
                certificate,
                certificateTime(options.notAfter, options.notAfterOffset, options.generalizedTime).get()) ==
                1,
            "X509_set1_notAfter");
    require(X509_set_pubkey(certificate, identity.key) == 1, "X509_set_pubkey");
    const std::string basicConstraints = !options.basicConstraints.empty() ? options.basicConstraints
                                         : options.isCa                    ? "critical,CA:TRUE"
                                                                           : "";
    const std::string keyUsage = !options.keyUsage.empty() ? options.keyUsage
                                 : options.isCa            ? "critical,keyCertSign,cRLSign"
                                                           : "";
    for (const auto& [nid, value] : {std::pair{NID_basic_constraints, basicConstraints},
                                     {NID_key_usage, keyUsage},
                                     {NID_ext_key_usage, options.extendedKeyUsage}}) {
        if (!value.empty()) {
            addExtension(certificate, signerCertificate, nid, value.c_str());
        }
    }
    if (options.commentBytes > 0) {
        addExtension(certificate, signerCertificate, NID_netscape_comment,
                     std::string(options.commentBytes, 'c').c_str());
    }
    if (options.subjectKeyIdentifier) {
        addExtension(certificate, signerCertificate, NID_subject_key_identifier, "hash");
    }
    if (options.keyIdentifierOf != nullptr) {
        const int at = X509_get_ext_by_NID(options.keyIdentifierOf, NID_subject_key_identifier, -1);
        require(at >= 0 && X509_add_ext(certificate, X509_get_ext(options.keyIdentifierOf, at), -1) == 1,
                "copying the key identifier");
    }
    if (!options.crlDistributionPoint.empty()) {
        addExtension(certificate, signerCertificate, NID_crl_distribution_points,
                     ("URI:" + options.crlDistributionPoint).c_str());
    }
    EVP_PKEY* signingKey = issuer != nullptr ? issuer->key : identity.key;
    const EVP_MD* digest = options.issuerDigest != nullptr ? options.issuerDigest : signingDigest(signingKey);
    require(X509_sign(certificate, signingKey, digest) > 0, "X509_sign");
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

namespace {

using IssuingDistPointPtr = std::unique_ptr<ISSUING_DIST_POINT, OpenSslDeleter<ISSUING_DIST_POINT_free>>;
using GeneralNamesPtr = std::unique_ptr<GENERAL_NAMES, OpenSslDeleter<GENERAL_NAMES_free>>;

GeneralNamesPtr uriNames(const std::string& uri) {
    GeneralNamesPtr names(GENERAL_NAMES_new());
    GENERAL_NAME* name = a2i_GENERAL_NAME(nullptr, nullptr, nullptr, GEN_URI, uri.c_str(), 0);
    require(names != nullptr && name != nullptr && sk_GENERAL_NAME_push(names.get(), name) > 0, "URI name");
    return names;
}

GeneralNamesPtr directoryNames(const std::string& oneLine) {
    GeneralNamesPtr names(GENERAL_NAMES_new());
    GENERAL_NAME* name = GENERAL_NAME_new();
    X509_NAME* directory = X509_NAME_new();
    require(names != nullptr && name != nullptr && directory != nullptr, "directory name");
    fillName(directory, oneLine);
    GENERAL_NAME_set0_value(name, GEN_DIRNAME, directory);
    require(sk_GENERAL_NAME_push(names.get(), name) > 0, "sk_GENERAL_NAME_push");
    return names;
}

void addScope(X509_CRL* crl, const CrlScope& scope) {
    if (!scope.onlyUser && !scope.onlyCa && !scope.onlyAttributes && !scope.someReasons && !scope.indirect &&
        scope.distributionPoint.empty()) {
        return;
    }
    IssuingDistPointPtr point(ISSUING_DIST_POINT_new());
    require(point != nullptr, "ISSUING_DIST_POINT_new");
    point->onlyuser = scope.onlyUser ? 0xFF : 0;
    point->onlyCA = scope.onlyCa ? 0xFF : 0;
    point->onlyattr = scope.onlyAttributes ? 0xFF : 0;
    point->indirectCRL = scope.indirect ? 0xFF : 0;
    if (scope.someReasons) {
        point->onlysomereasons = ASN1_BIT_STRING_new();
        require(point->onlysomereasons != nullptr &&
                    ASN1_BIT_STRING_set_bit(point->onlysomereasons, CRL_REASON_KEY_COMPROMISE, 1) == 1,
                "reasons");
    }
    if (!scope.distributionPoint.empty()) {
        point->distpoint = DIST_POINT_NAME_new();
        require(point->distpoint != nullptr, "DIST_POINT_NAME_new");
        point->distpoint->type = 0;
        point->distpoint->name.fullname = uriNames(scope.distributionPoint).release();
    }
    require(X509_CRL_add1_ext_i2d(crl, NID_issuing_distribution_point, point.get(), 1, X509V3_ADD_DEFAULT) ==
                1,
            "issuing distribution point");
}

// A critical extension no reader knows, under a private-arc number.
X509ExtensionPtr unknownCriticalExtension() {
    using ObjectPtr = std::unique_ptr<ASN1_OBJECT, OpenSslDeleter<ASN1_OBJECT_free>>;
    using OctetsPtr = std::unique_ptr<ASN1_OCTET_STRING, OpenSslDeleter<ASN1_OCTET_STRING_free>>;
    const ObjectPtr object(OBJ_txt2obj("1.3.6.1.4.1.55555.1", 1));
    const OctetsPtr value(ASN1_OCTET_STRING_new());
    require(object != nullptr && value != nullptr &&
                ASN1_OCTET_STRING_set(value.get(), reinterpret_cast<const unsigned char*>("\x05\x00"), 2) ==
                    1,
            "extension value");
    X509ExtensionPtr extension(X509_EXTENSION_create_by_OBJ(nullptr, object.get(), 1, value.get()));
    require(extension != nullptr, "X509_EXTENSION_create_by_OBJ");
    return extension;
}

X509RevokedPtr revokedEntry(const SerialNumber& serial, const ASN1_TIME* date, const CrlOptions& options) {
    X509RevokedPtr entry(X509_REVOKED_new());
    require(entry != nullptr &&
                X509_REVOKED_set_serialNumber(entry.get(), detail::asn1Integer(serial).get()) == 1,
            "X509_REVOKED_set_serialNumber");
    require(X509_REVOKED_set_revocationDate(entry.get(), const_cast<ASN1_TIME*>(date)) == 1,
            "X509_REVOKED_set_revocationDate");
    if (options.entriesUnknownCriticalExtension) {
        require(X509_REVOKED_add_ext(entry.get(), unknownCriticalExtension().get(), -1) == 1,
                "X509_REVOKED_add_ext");
    }
    if (options.entriesRemoveFromCrl) {
        const std::unique_ptr<ASN1_ENUMERATED, OpenSslDeleter<ASN1_ENUMERATED_free>> reason(
            ASN1_ENUMERATED_new());
        require(reason && ASN1_ENUMERATED_set(reason.get(), CRL_REASON_REMOVE_FROM_CRL) == 1 &&
                    X509_REVOKED_add1_ext_i2d(entry.get(), NID_crl_reason, reason.get(), 0,
                                              X509V3_ADD_DEFAULT) == 1,
                "reason code");
    }
    if (!options.entriesCertificateIssuer.empty()) {
        require(X509_REVOKED_add1_ext_i2d(entry.get(), NID_certificate_issuer,
                                          directoryNames(options.entriesCertificateIssuer).get(), 1,
                                          X509V3_ADD_DEFAULT) == 1,
                "certificate issuer");
    }
    return entry;
}

} // namespace

std::string makeCrl(const Identity& issuer, const CrlOptions& options) {
    X509CrlPtr crl(X509_CRL_new());
    require(crl != nullptr, "X509_CRL_new");
    require(X509_CRL_set_version(crl.get(), X509_CRL_VERSION_2) == 1, "X509_CRL_set_version");
    require(X509_CRL_set_issuer_name(crl.get(), X509_get_subject_name(issuer.certificate.get())) == 1,
            "X509_CRL_set_issuer_name");
    const Asn1TimePtr lastUpdate = certificateTime(options.lastUpdate, options.lastUpdateOffset, false);
    const Asn1TimePtr nextUpdate =
        certificateTime(options.nextUpdate, options.lastUpdateOffset + crlValidity, false);
    require(X509_CRL_set1_lastUpdate(crl.get(), lastUpdate.get()) == 1, "X509_CRL_set1_lastUpdate");
    require(options.noNextUpdate || X509_CRL_set1_nextUpdate(crl.get(), nextUpdate.get()) == 1,
            "X509_CRL_set1_nextUpdate");
    for (const SerialNumber& serial : options.revokedSerials) {
        X509RevokedPtr entry = revokedEntry(serial, lastUpdate.get(), options);
        require(X509_CRL_add0_revoked(crl.get(), entry.get()) == 1, "X509_CRL_add0_revoked");
        entry.release(); // now owned by the CRL
    }
    if (options.delta) {
        require(X509_CRL_add1_ext_i2d(crl.get(), NID_delta_crl, detail::asn1Integer(1).get(), 1,
                                      X509V3_ADD_DEFAULT) == 1,
                "delta CRL indicator");
    }
    addScope(crl.get(), options.scope);
    if (options.unknownCriticalExtension) {
        require(X509_CRL_add_ext(crl.get(), unknownCriticalExtension().get(), -1) == 1, "X509_CRL_add_ext");
    }
    require(X509_CRL_sort(crl.get()) == 1, "X509_CRL_sort");
    require(X509_CRL_sign(crl.get(), issuer.key, EVP_sha256()) > 0, "X509_CRL_sign");
    if (!options.pem) {
        return detail::toDer(crl.get(), i2d_X509_CRL);
    }
    BioPtr bio = detail::memoryBio();
    require(PEM_write_bio_X509_CRL(bio.get(), crl.get()) == 1, "PEM_write_bio_X509_CRL");
    return detail::bioContents(bio.get());
}

} // namespace testdoc

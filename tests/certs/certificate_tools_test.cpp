#include "certs/certificate_tools.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/error_records.h"
#include "support/document_writer.h"
#include "support/temp_dir.h"

#include <openssl/pem.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace testdoc;

constexpr std::int64_t day = 24 * 3600;

const Identity& holder() {
    static const Identity identity =
        makeIdentity({.subject = "/C=US/O=Acme Ltd/CN=Holder One/CN=Holder Two"});
    return identity;
}

std::string pemOf(const X509* certificate, int (*write)(BIO*, const X509*)) {
    const BioPtr bio(BIO_new(BIO_s_mem()));
    write(bio.get(), certificate);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(length));
}

std::string derText() {
    return certificateDer(holder().certificate.get());
}

// SEQUENCE { OCTET STRING header, body } with a two-byte length.
std::string netscapeForm(const std::string& header, const std::string& body) {
    const std::string inner = "\x04" + std::string(1, static_cast<char>(header.size())) + header + body;
    return std::string("\x30\x82") + static_cast<char>(inner.size() >> 8) +
           static_cast<char>(inner.size() & 0xff) + inner;
}

struct FormCase {
    const char* name;
    std::function<std::string(const Identity&)> encode;
};

class CertificateForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(CertificateForms, GiveTheSameAnswersFromDataAndFromFiles) {
    const CertificateTools tools;
    const TempDir directory;
    const Identity expired =
        makeIdentity({.serial = 2, .notBeforeOffset = -10 * day, .notAfterOffset = -day});
    const Identity future = makeIdentity({.serial = 3, .notBeforeOffset = day, .notAfterOffset = 10 * day});
    for (const bool fromFile : {false, true}) {
        const auto source = [&](const Identity& identity) {
            const std::string data = GetParam().encode(identity);
            return fromFile ? directory.write("certificate", data) : data;
        };
        const X509Ptr loaded = tools.loadCertificate(source(holder()), fromFile);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(X509_cmp(loaded.get(), holder().certificate.get()), 0);
        EXPECT_EQ(tools.commonName(source(holder()), fromFile), "CN=Holder Two");

        bool notYetValid = false;
        EXPECT_FALSE(tools.isExpired(source(holder()), notYetValid, fromFile));
        EXPECT_FALSE(notYetValid);
        EXPECT_TRUE(tools.isExpired(source(expired), notYetValid, fromFile));
        EXPECT_FALSE(notYetValid);
        EXPECT_FALSE(tools.isExpired(source(future), notYetValid, fromFile));
        EXPECT_TRUE(notYetValid);
        // The flag is only ever raised.
        EXPECT_FALSE(tools.isExpired(source(holder()), notYetValid, fromFile));
        EXPECT_TRUE(notYetValid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CertificateForms,
    ::testing::Values(
        FormCase{"Der", [](const Identity& id) { return certificateDer(id.certificate.get()); }},
        FormCase{"Pem",
                 [](const Identity& id) { return "Leading words\n" + certificatePem(id.certificate.get()); }},
        FormCase{"TrustedPem",
                 [](const Identity& id) { return pemOf(id.certificate.get(), PEM_write_bio_X509_AUX); }},
        FormCase{"Pkcs12", [](const Identity& id) { return pkcs12(id); }},
        FormCase{"BareBase64",
                 [](const Identity& id) { return encodeBase64(certificateDer(id.certificate.get())); }},
        FormCase{"Netscape", [](const Identity& id) { return netscapeCertificate(id.certificate.get()); }},
        FormCase{"NetscapeShortHeader",
                 [](const Identity& id) { return netscapeCertificate(id.certificate.get(), "cert"); }},
        FormCase{"NetscapeIndefiniteLength",
                 [](const Identity& id) {
                     return std::string("\x30\x80\x04\x0b"
                                        "certificate",
                                        15) +
                            certificateDer(id.certificate.get()) + std::string(2, '\0');
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadCertificate, CertificateOf64KiBAndMoreLoadsInEveryForm) {
    const CertificateTools tools;
    const Identity large = makeIdentity({.commentBytes = 70000});
    const std::string der = certificateDer(large.certificate.get());
    ASSERT_GT(der.size(), 65536U);
    for (const std::string& source :
         {der, certificatePem(large.certificate.get()), pkcs12(large), encodeBase64(der)}) {
        const X509Ptr loaded = tools.loadCertificate(source, false);
        ASSERT_NE(loaded, nullptr);
        EXPECT_EQ(X509_cmp(loaded.get(), large.certificate.get()), 0);
    }
}

struct FailureCase {
    const char* name;
    std::function<std::string(const TempDir&)> source;
    bool sourceIsFile;
    std::string message;
};

class LoaderFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LoaderFailures, ReportTheirMessage) {
    const CertificateTools tools;
    const TempDir directory;
    const std::string source = GetParam().source(directory);
    try {
        tools.loadCertificate(source, GetParam().sourceIsFile);
        FAIL() << "loaded";
    } catch (const errorDef::error_message& error) {
        EXPECT_EQ(error.message, GetParam().message);
    }
}

const std::string badHeader = "Error reading ASN1 header in Netscape type Certificate\nto check agains CRL";
const std::string badNetscape = "Error loading Netscape type certificate\nto check against CRL";

INSTANTIATE_TEST_SUITE_P(
    Cases, LoaderFailures,
    ::testing::Values(
        FailureCase{"EmptyData", [](const TempDir&) { return std::string(); }, false,
                    "Couldn't read certificate"},
        FailureCase{"MissingFile", [](const TempDir& d) { return d.file("none"); }, true,
                    "Couldn't read certificate to check\nagainst CRL"},
        FailureCase{"Directory", [](const TempDir& d) { return d.path(); }, true,
                    "Couldn't read certificate to check\nagainst CRL"},
        FailureCase{"EmptyFile", [](const TempDir& d) { return d.write("empty", ""); }, true,
                    "failed loading file"},
        FailureCase{"RandomText", [](const TempDir&) { return std::string("no certificate here"); }, false,
                    badHeader},
        // "MII" admits the Base64 step, whose decoder refuses the blank.
        FailureCase{"BadBase64", [](const TempDir&) { return std::string("MII ABC"); }, false,
                    "Error in decoding. Format is invalid"},
        // With a PEM marker the Base64 step is skipped, even though "MII" is there.
        FailureCase{"Base64WithPemMarker",
                    [](const TempDir&) { return "-----BEGIN CERTIFICATE-----\n" + encodeBase64(derText()); },
                    false, badHeader},
        FailureCase{"PasswordProtectedPkcs12", [](const TempDir&) { return pkcs12(holder(), "secret"); },
                    false, badHeader},
        FailureCase{"NetscapeEmptyHeader",
                    [](const TempDir&) { return netscapeCertificate(holder().certificate.get(), ""); }, false,
                    badHeader},
        FailureCase{
            "NetscapeLongerHeader",
            [](const TempDir&) { return netscapeCertificate(holder().certificate.get(), "certificatex"); },
            false, badHeader},
        FailureCase{
            "NetscapeCapitalHeader",
            [](const TempDir&) { return netscapeCertificate(holder().certificate.get(), "Certificate"); },
            false, badHeader},
        FailureCase{"NetscapeTruncated",
                    [](const TempDir&) {
                        const std::string bytes = netscapeCertificate(holder().certificate.get());
                        return bytes.substr(0, bytes.size() - 1);
                    },
                    false, badHeader},
        FailureCase{
            "NetscapeNotACertificate",
            [](const TempDir&) { return netscapeForm("certificate", std::string("\x30\x01\x00", 3)); }, false,
            badNetscape},
        FailureCase{"NetscapeBytesAfterTheCertificate",
                    [](const TempDir&) {
                        return netscapeForm("certificate", derText() + std::string("\x05\x00", 2));
                    },
                    false, badNetscape}),
    [](const auto& info) { return std::string(info.param.name); });

// Older tools protect the certificate bag with 40-bit RC2, which needs the library's legacy provider.
TEST(LoadCertificate, Pkcs12OfOlderToolsLoads) {
    const CertificateTools tools;
    const Pkcs12Ptr bundle(PKCS12_create("", nullptr, holder().key, holder().certificate.get(), nullptr,
                                         NID_pbe_WithSHA1And3_Key_TripleDES_CBC,
                                         NID_pbe_WithSHA1And40BitRC2_CBC, 2048, 1, 0));
    ASSERT_NE(bundle, nullptr);
    unsigned char* der = nullptr;
    const int length = i2d_PKCS12(bundle.get(), &der);
    ASSERT_GT(length, 0);
    const std::string bytes(reinterpret_cast<const char*>(der), static_cast<std::size_t>(length));
    OPENSSL_free(der);
    EXPECT_EQ(tools.commonName(bytes, false), "CN=Holder Two");
}

TEST(CommonName, EmptyWhenTheSubjectHasNone) {
    const CertificateTools tools;
    const Identity nameless = makeIdentity({.subject = "/O=Acme Ltd/OU=Sales"});
    EXPECT_EQ(tools.commonName(certificateDer(nameless.certificate.get()), false), "");
}

TEST(IsExpired, UnreadableStartDateCountsAsNotYetValid) {
    const CertificateTools tools;
    const Identity odd = makeIdentity({.notBefore = "not a time", .notAfter = "491231235959Z"});
    bool notYetValid = false;
    EXPECT_FALSE(tools.isExpired(certificateDer(odd.certificate.get()), notYetValid, false));
    EXPECT_TRUE(notYetValid);
}

struct ValidityCase {
    const char* name;
    std::string notBefore;
    std::string notAfter;
    bool expired;
    bool notYetValid;
};

class ValidityAt : public ::testing::TestWithParam<ValidityCase> {};

// 2003-12-31 23:59:30 UTC
constexpr std::time_t fixedNow = 1072915170;

TEST_P(ValidityAt, JudgesTheGivenMoment) {
    const Identity identity =
        makeIdentity({.notBefore = GetParam().notBefore, .notAfter = GetParam().notAfter});
    const CertificateValidity validity = validityAt(*identity.certificate, fixedNow);
    EXPECT_EQ(validity.expired, GetParam().expired);
    EXPECT_EQ(validity.notYetValid, GetParam().notYetValid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidityAt,
    ::testing::Values(
        ValidityCase{"BeforeTheStart", "040101000000Z", "050101000000Z", false, true},
        // the start second itself has begun, the end second itself has ended
        ValidityCase{"AtTheStart", "031231235930Z", "050101000000Z", false, false},
        ValidityCase{"Inside", "030101000000Z", "050101000000Z", false, false},
        ValidityCase{"AtTheEnd", "030101000000Z", "031231235930Z", true, false},
        ValidityCase{"AfterTheEnd", "020101000000Z", "030101000000Z", true, false},
        ValidityCase{"UnreadableStart", "not a time", "050101000000Z", false, true},
        ValidityCase{"UnreadableEnd", "030101000000Z", "not a time", false, false},
        ValidityCase{"Reversed", "040101000000Z", "030101000000Z", true, true},
        ValidityCase{"GeneralizedTimeAfterTheEnd", "20020101000000Z", "20031231235959.5+0100", true, false},
        ValidityCase{"GeneralizedTimeBeforeTheStart", "20400101000000Z", "20601231235959Z", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The verification as the job runs it: revocation through the CRL file.
class VerifyWithCrl : public ::testing::Test {
protected:
    const CertificateTools tools;
    const TempDir directory;
    const Identity authority =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 2, .isCa = true});
    const Identity signer = makeIdentity({.serial = 9}, &authority);
    const std::string layer = signedLayer("content", signer, {.extraSigners = {&authority}});

    SignatureVerdict verdictWith(const std::string& crl) {
        const SignedContent result = tools.verifySignature(
            layer, DigestSelector::Sha1, RevocationChoice::Check, directory.write("list.crl", crl));
        EXPECT_EQ(result.content, "content");
        EXPECT_EQ(result.verdict.signatureText, "Verified");
        EXPECT_NE(result.verdict.description.find("Certificate expires on: "), std::string::npos);
        return result.verdict;
    }
};

TEST_F(VerifyWithCrl, RevokedAndNotRevoked) {
    const SignatureVerdict revoked = verdictWith(makeCrl(authority, {.revokedSerials = {9}}));
    EXPECT_EQ(revoked.header, "FAILED");
    EXPECT_EQ(revoked.revocationText, "Signer Certificate is REVOKED");
    const SignatureVerdict kept = verdictWith(makeCrl(authority, {.revokedSerials = {10}, .pem = true}));
    EXPECT_EQ(kept.header, "SUCCESS");
    EXPECT_EQ(kept.revocationText, "Certificate is NOT REVOKED");
}

TEST_F(VerifyWithCrl, ListsThatCannotDecideLeaveTheStatusUnknown) {
    const Identity impostor =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 3, .isCa = true});
    const Identity otherCa =
        makeIdentity({.subject = "/O=Other/CN=Other CA", .serial = 5, .keyIndex = 3, .isCa = true});
    for (const std::string& crl :
         {makeCrl(impostor, {.revokedSerials = {9}}), makeCrl(otherCa, {.revokedSerials = {9}}),
          makeCrl(authority, {}), std::string("no CRL")}) {
        const SignatureVerdict verdict = verdictWith(crl);
        EXPECT_EQ(verdict.header, "SUCCESS");
        EXPECT_EQ(verdict.revocationText, "Certificate revocation status unknown");
        EXPECT_EQ(verdict.revocationStatus, VerdictStatus::Unknown);
    }
}

} // namespace

#include "certs/crl_checker.h"

#include "certs/revocation_check.h"
#include "e2eCrypto/error_records.h"
#include "support/document_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

namespace {

using namespace testdoc;

const std::string notSet =
    "CRL or Certificate is not set.\nCall setCRL() and setCertificate()\nbefore crl check";
const std::string unrecognised = "CRL is in unrecognized format.\nTry either DER or PEM formats.";
const std::string unreadable = "Cannot read data from CRL";
const std::string noneRevoked = "No revoked certificate present in CRL";
const std::string otherAuthority = "CRL was not issued by the authority of the certificate";
const std::string badSignature = "CRL signature does not match the certificate of its issuer";

const Identity& authority() {
    static const Identity identity =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 2, .isCa = true});
    return identity;
}

Identity issuedCertificate(long serial) {
    return makeIdentity({.subject = "/O=Acme Ltd/CN=Holder", .serial = serial}, &authority());
}

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const errorDef::error_message& error) {
        return error.message;
    }
    return "(nothing thrown)";
}

// Whether the CRL lists the certificate, or the message of the record that says it cannot tell.
std::string answer(const Identity& holder, const std::string& source, bool sourceIsFile,
                   const Identity* issuer = nullptr) {
    CRLChecker checker;
    checker.setCertificate(holder.certificate.get());
    if (issuer != nullptr) {
        checker.addIssuerCertificate(issuer->certificate.get());
    }
    try {
        EXPECT_TRUE(checker.setCRL(source, sourceIsFile));
        return checker.isRevoked() ? "revoked" : "not revoked";
    } catch (const errorDef::error_message& error) {
        return error.message;
    }
}

struct FormCase {
    const char* name;
    std::function<std::string(const std::string& der, const std::string& pem)> source;
};

class CrlForms : public ::testing::TestWithParam<FormCase> {};

TEST_P(CrlForms, GiveTheSameAnswersFromBytesAndFromFiles) {
    const std::string der = makeCrl(authority(), {.revokedSerials = {7, 3, 300}});
    const std::string pem = makeCrl(authority(), {.revokedSerials = {7, 3, 300}, .pem = true});
    const std::string source = GetParam().source(der, pem);
    const TempDir directory;
    const std::string path = directory.write("list.crl", source);
    for (const bool fromFile : {false, true}) {
        const std::string& given = fromFile ? path : source;
        EXPECT_EQ(answer(issuedCertificate(7), given, fromFile, &authority()), "revoked");
        EXPECT_EQ(answer(issuedCertificate(300), given, fromFile), "revoked");
        EXPECT_EQ(answer(issuedCertificate(8), given, fromFile, &authority()), "not revoked");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrlForms,
    ::testing::Values(FormCase{"Der", [](const std::string& der, const std::string&) { return der; }},
                      FormCase{"Pem", [](const std::string&, const std::string& pem) { return pem; }},
                      FormCase{"PemAfterExplanatoryText",
                               [](const std::string&, const std::string& pem) {
                                   return "Issued monthly by Acme.\r\nSee the policy.\n" + pem;
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CRLChecker, SerialsCompareAsEncodedIntegers) {
    const std::string crl = makeCrl(authority(), {.revokedSerials = {5, 256}});
    EXPECT_EQ(answer(issuedCertificate(-5), crl, false), "not revoked");
    EXPECT_EQ(answer(issuedCertificate(1), crl, false), "not revoked");
    const std::string negative = makeCrl(authority(), {.revokedSerials = {-5}});
    EXPECT_EQ(answer(issuedCertificate(-5), negative, false), "revoked");
}

TEST(CRLChecker, ExpiredListIsStillUsed) {
    const std::string crl =
        makeCrl(authority(), {.revokedSerials = {9}, .lastUpdateOffset = -400 * 24 * 3600});
    EXPECT_EQ(answer(issuedCertificate(9), crl, false, &authority()), "revoked");
}

TEST(CRLChecker, ListWithoutEntriesCannotAnswer) {
    EXPECT_EQ(answer(issuedCertificate(9), makeCrl(authority(), {}), false), noneRevoked);
}

TEST(CRLChecker, ListOfAnotherAuthorityCannotAnswer) {
    const Identity otherCa =
        makeIdentity({.subject = "/O=Other/CN=Other CA", .serial = 5, .keyIndex = 3, .isCa = true});
    EXPECT_EQ(answer(issuedCertificate(9), makeCrl(otherCa, {.revokedSerials = {9}}), false), otherAuthority);
}

TEST(CRLChecker, ListSignedWithAnotherKeyCannotAnswerWhenTheIssuerIsAtHand) {
    // Same name as the real authority, different key.
    const Identity impostor =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 3, .isCa = true});
    const std::string forged = makeCrl(impostor, {.revokedSerials = {9}});
    EXPECT_EQ(answer(issuedCertificate(9), forged, false, &authority()), badSignature);
    // Without the issuer's certificate only the name can be compared.
    EXPECT_EQ(answer(issuedCertificate(9), forged, false), "revoked");
}

TEST(CRLChecker, UnreadableSources) {
    const TempDir directory;
    const std::string fifo = directory.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string notCrl = directory.write("notes.txt", "This is no CRL.\n");
    const std::string empty = directory.write("empty.crl", "");
    struct Case {
        std::string source;
        bool sourceIsFile;
        std::string message;
    };
    for (const Case& c :
         {Case{directory.file("missing.crl"), true, unreadable}, Case{directory.path(), true, unreadable},
          Case{fifo, true, unreadable}, Case{"", false, unreadable}, Case{notCrl, true, unrecognised},
          Case{empty, true, unrecognised}, Case{"This is no CRL.", false, unrecognised}}) {
        CRLChecker checker;
        checker.setCertificate(authority().certificate.get());
        EXPECT_EQ(messageOf([&] { checker.setCRL(c.source, c.sourceIsFile); }), c.message) << c.source;
        // A failed load leaves no list behind.
        EXPECT_EQ(messageOf([&] { checker.isRevoked(); }), notSet);
    }
}

TEST(CRLChecker, NothingSetCannotAnswer) {
    const std::string crl = makeCrl(authority(), {.revokedSerials = {9}});
    CRLChecker withoutCertificate;
    withoutCertificate.setCRL(crl, false);
    EXPECT_EQ(messageOf([&] { withoutCertificate.isRevoked(); }), notSet);
    CRLChecker withoutList;
    withoutList.setCertificate(authority().certificate.get());
    EXPECT_EQ(messageOf([&] { withoutList.isRevoked(); }), notSet);
}

TEST(CRLChecker, ReloadingAfterAFailureStartsClean) {
    CRLChecker checker;
    checker.setCertificate(issuedCertificate(9).certificate.get());
    checker.setCRL(makeCrl(authority(), {.revokedSerials = {9}}), false);
    EXPECT_THROW(checker.setCRL("junk", false), errorDef::error_message);
    EXPECT_EQ(messageOf([&] { checker.isRevoked(); }), notSet);
}

// The check the verification runs finds the CRL issuer's certificate where it can.
class RevocationWithCrlFile : public ::testing::Test {
protected:
    const TempDir directory;
    const Identity holder = issuedCertificate(9);
    const Identity impostor =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 3, .isCa = true});

    std::string check(const std::string& crl, STACK_OF(X509) * bundled, X509_STORE* store) {
        const std::string path = directory.write("list.crl", crl);
        try {
            return checkRevocationWithCrlFile({holder.certificate.get(), bundled, store}, path)
                       ? "revoked"
                       : "not revoked";
        } catch (const errorDef::error_message& error) {
            return error.message;
        }
    }
};

TEST_F(RevocationWithCrlFile, IssuerAmongTheBundledCertificates) {
    STACK_OF(X509)* bundled = sk_X509_new_null();
    sk_X509_push(bundled, holder.certificate.get());
    sk_X509_push(bundled, authority().certificate.get());
    EXPECT_EQ(check(makeCrl(authority(), {.revokedSerials = {9}}), bundled, nullptr), "revoked");
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), bundled, nullptr), badSignature);
    sk_X509_free(bundled);
}

TEST_F(RevocationWithCrlFile, CertificateWithTheIssuersNameButAnotherKeyIsNoIssuer) {
    const std::string genuine = makeCrl(authority(), {.revokedSerials = {9}});
    const X509StorePtr store(X509_STORE_new());
    X509_STORE_add_cert(store.get(), authority().certificate.get());
    STACK_OF(X509)* bundled = sk_X509_new_null();
    sk_X509_push(bundled, impostor.certificate.get());
    EXPECT_EQ(check(genuine, bundled, nullptr), "revoked");
    EXPECT_EQ(check(genuine, bundled, store.get()), "revoked");
    sk_X509_push(bundled, authority().certificate.get());
    EXPECT_EQ(check(genuine, bundled, nullptr), "revoked");
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), bundled, store.get()), badSignature);
    sk_X509_free(bundled);
}

TEST_F(RevocationWithCrlFile, IssuerInTheCaStore) {
    const X509StorePtr store(X509_STORE_new());
    X509_STORE_add_cert(store.get(), authority().certificate.get());
    EXPECT_EQ(check(makeCrl(authority(), {.revokedSerials = {4}}), nullptr, store.get()), "not revoked");
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), nullptr, store.get()), badSignature);
}

TEST_F(RevocationWithCrlFile, IssuerNowhereComparesNamesOnly) {
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), nullptr, nullptr), "revoked");
    EXPECT_EQ(
        messageOf([&] {
            checkRevocationWithCrlFile({holder.certificate.get(), nullptr, nullptr}, directory.file("none"));
        }),
        unreadable);
}

} // namespace

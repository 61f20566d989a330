#include "certs/crl_checker.h"

#include "certs/revocation_check.h"
#include "e2eCrypto/error_records.h"
#include "support/document_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ctime>
#include <functional>
#include <initializer_list>

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

Identity issuedCertificate(const SerialNumber& serial) {
    return makeIdentity({.subject = "/O=Acme Ltd/CN=Holder", .serial = serial}, &authority());
}

// The certificates, each referenced once more, in a stack that releases them.
CertificateStackPtr stackOf(std::initializer_list<const Identity*> identities) {
    CertificateStackPtr stack(sk_X509_new_null());
    for (const Identity* identity : identities) {
        X509_up_ref(identity->certificate.get());
        sk_X509_push(stack.get(), identity->certificate.get());
    }
    return stack;
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
        return checker.isRevoked(std::time(nullptr)) ? "revoked" : "not revoked";
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

// Serial numbers of every size compare as whole numbers, sign included.
struct SerialCase {
    const char* name;
    SerialNumber holder;
    bool listed;
};

class CrlSerials : public ::testing::TestWithParam<SerialCase> {};

const std::string twentyBytes = "7F3A5C9E01B2D4F6A8C0E2143658709ABCDEF012";

TEST_P(CrlSerials, CompareAsWholeNumbers) {
    const std::string crl = makeCrl(
        authority(), {.revokedSerials = {5, 256, -7, SerialNumber::hex(twentyBytes),
                                         SerialNumber::hex("C0FFEE0000000000000000000000000000000001")}});
    EXPECT_EQ(answer(issuedCertificate(GetParam().holder), crl, false, &authority()),
              GetParam().listed ? "revoked" : "not revoked");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrlSerials,
    ::testing::Values(SerialCase{"Listed", 5, true}, SerialCase{"NotListed", 1, false},
                      SerialCase{"NegativeTwinOfListed", -5, false}, SerialCase{"NegativeListed", -7, true},
                      SerialCase{"PositiveTwinOfNegative", 7, false},
                      SerialCase{"TwentyBytes", SerialNumber::hex(twentyBytes), true},
                      SerialCase{"TwentyBytesWrittenWithLeadingZeros",
                                 SerialNumber::hex("0000" + twentyBytes), true},
                      SerialCase{"TwentyBytesDifferingInTheFirstByte",
                                 SerialNumber::hex("7E" + twentyBytes.substr(2)), false},
                      SerialCase{"TwentyBytesDifferingInTheLastByte",
                                 SerialNumber::hex(twentyBytes.substr(0, 38) + "13"), false},
                      SerialCase{"LastEightBytesOfTwenty", SerialNumber::hex(twentyBytes.substr(24)), false},
                      // the top bit set: encoded with a leading zero byte
                      SerialCase{"TwentyBytesTopBitSet",
                                 SerialNumber::hex("C0FFEE0000000000000000000000000000000001"), true}),
    [](const auto& info) { return std::string(info.param.name); });

// A listing counts whatever the list's dates: being revoked never favours the signer.
TEST(CRLChecker, StaleListStillRevokes) {
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
        EXPECT_EQ(messageOf([&] { checker.isRevoked(0); }), notSet);
    }
}

TEST(CRLChecker, NothingSetCannotAnswer) {
    const std::string crl = makeCrl(authority(), {.revokedSerials = {9}});
    CRLChecker withoutCertificate;
    withoutCertificate.setCRL(crl, false);
    EXPECT_EQ(messageOf([&] { withoutCertificate.isRevoked(0); }), notSet);
    CRLChecker withoutList;
    withoutList.setCertificate(authority().certificate.get());
    EXPECT_EQ(messageOf([&] { withoutList.isRevoked(0); }), notSet);
}

TEST(CRLChecker, ReloadingAfterAFailureStartsClean) {
    CRLChecker checker;
    checker.setCertificate(issuedCertificate(9).certificate.get());
    checker.setCRL(makeCrl(authority(), {.revokedSerials = {9}}), false);
    EXPECT_THROW(checker.setCRL("junk", false), errorDef::error_message);
    EXPECT_EQ(messageOf([&] { checker.isRevoked(0); }), notSet);
}

// The check the verification runs finds the CRL issuer's certificate where it can.
class RevocationWithCrlFile : public ::testing::Test {
protected:
    const TempDir directory;
    const Identity holder = issuedCertificate(9);
    const Identity impostor =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 3, .isCa = true});

    // "revoked", "not revoked", or "unknown" with the problem in brackets when there is one.
    std::string check(const std::string& crl, STACK_OF(X509) * bundled, X509_STORE* store,
                      const Identity* checked = nullptr, std::time_t moment = std::time(nullptr)) {
        const std::string path = directory.write("list.crl", crl);
        const X509* certificate = (checked != nullptr ? checked : &holder)->certificate.get();
        const RevocationAnswer answer =
            checkRevocationWithCrlFile({const_cast<X509*>(certificate), bundled, store, moment}, path);
        EXPECT_EQ(answer.crl.value().issuer, "/O=Acme Ltd/CN=Acme CA"); // every list here is in that name
        const std::string problem = crlProblemName(answer.crl.value().problem);
        return answer.status == RevocationStatus::Revoked      ? "revoked"
               : answer.status == RevocationStatus::NotRevoked ? "not revoked"
               : problem.empty()                               ? "unknown"
                                                               : "unknown (" + problem + ")";
    }
};

TEST_F(RevocationWithCrlFile, IssuerAmongTheBundledCertificates) {
    const CertificateStackPtr bundled = stackOf({&holder, &authority()});
    EXPECT_EQ(check(makeCrl(authority(), {.revokedSerials = {9}}), bundled.get(), nullptr), "revoked");
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), bundled.get(), nullptr), "unknown");
}

TEST_F(RevocationWithCrlFile, CertificateWithTheIssuersNameButAnotherKeyIsNoIssuer) {
    const std::string genuine = makeCrl(authority(), {.revokedSerials = {9}});
    const X509StorePtr store(X509_STORE_new());
    X509_STORE_add_cert(store.get(), authority().certificate.get());
    const CertificateStackPtr impostorOnly = stackOf({&impostor});
    EXPECT_EQ(check(genuine, impostorOnly.get(), nullptr), "revoked");
    EXPECT_EQ(check(genuine, impostorOnly.get(), store.get()), "revoked");
    const CertificateStackPtr both = stackOf({&impostor, &authority()});
    EXPECT_EQ(check(genuine, both.get(), nullptr), "revoked");
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), both.get(), store.get()), "unknown");
}

TEST_F(RevocationWithCrlFile, IssuerInTheCaStore) {
    const X509StorePtr store(X509_STORE_new());
    X509_STORE_add_cert(store.get(), authority().certificate.get());
    EXPECT_EQ(check(makeCrl(authority(), {.revokedSerials = {4}}), nullptr, store.get()), "not revoked");
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), nullptr, store.get()), "unknown");
}

TEST_F(RevocationWithCrlFile, IssuerNowhereComparesNamesOnly) {
    EXPECT_EQ(check(makeCrl(impostor, {.revokedSerials = {9}}), nullptr, nullptr), "revoked");
    // Without a key to check it by, a list can revoke but never clear.
    EXPECT_EQ(check(makeCrl(authority(), {.revokedSerials = {4}}), nullptr, nullptr), "unknown");
    // A file that gives no list leaves the status unknown and says so.
    for (const std::string& path :
         {directory.file("none"), directory.write("notes.crl", "This is no CRL.")}) {
        const RevocationAnswer answer = checkRevocationWithCrlFile(
            {holder.certificate.get(), nullptr, nullptr, std::time(nullptr)}, path);
        EXPECT_EQ(answer.status, RevocationStatus::Unknown);
        EXPECT_EQ(answer.crl.value().problem, CrlProblem::Unreadable);
    }
}

// A list can clear a certificate only when it is the whole list for that certificate.
// Its dates, the key that signed it and what it covers: a list can clear a certificate only when it is
// current at the check time, signed by a key allowed to sign lists, and whole for that certificate.
struct ScopeCase {
    const char* name;
    CrlOptions crl;
    CertificateOptions holder;
    std::string expected;
    std::time_t moment = 0; // the check time; 0 for the clock (the lists' offsets follow it)
    bool issuerMaySignCrls = true;
};

// The authority's name and key under a keyUsage that leaves out cRLSign.
const Identity& authorityWithoutCrlSigning() {
    static const Identity identity = makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA",
                                                   .serial = 100,
                                                   .keyIndex = 2,
                                                   .isCa = true,
                                                   .keyUsage = "critical,keyCertSign,digitalSignature"});
    return identity;
}

class CrlScopes : public RevocationWithCrlFile, public ::testing::WithParamInterface<ScopeCase> {};

TEST_P(CrlScopes, DecideWhetherAListCanClear) {
    const X509StorePtr store(X509_STORE_new());
    const Identity& issuer = GetParam().issuerMaySignCrls ? authority() : authorityWithoutCrlSigning();
    X509_STORE_add_cert(store.get(), issuer.certificate.get());
    const Identity checked = makeIdentity(GetParam().holder, &authority());
    const std::time_t moment = GetParam().moment != 0 ? GetParam().moment : std::time(nullptr);
    EXPECT_EQ(check(makeCrl(authority(), GetParam().crl), nullptr, store.get(), &checked, moment),
              GetParam().expected);
}

constexpr std::time_t year2030 = 1893456000; // 2030-01-01T00:00:00Z
const std::string lastMonth = "20291201000000Z";
const std::string nextMonth = "20300201000000Z";

const CertificateOptions user{.subject = "/O=Acme Ltd/CN=Holder", .serial = 9};
const CertificateOptions subordinateCa{.subject = "/O=Acme Ltd/CN=Sub CA", .serial = 9, .isCa = true};
const CertificateOptions partitionA{
    .subject = "/O=Acme Ltd/CN=Holder", .serial = 9, .crlDistributionPoint = "http://crl.example/a.crl"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CrlScopes,
    ::testing::Values(
        ScopeCase{"CompleteList", {.revokedSerials = {4}}, user, "not revoked"},
        ScopeCase{"DeltaList", {.revokedSerials = {4}, .delta = true}, user, "unknown (scope)"},
        ScopeCase{"DeltaListListingIt", {.revokedSerials = {9}, .delta = true}, user, "revoked"},
        ScopeCase{"OnlyCaCertificates",
                  {.revokedSerials = {4}, .scope = {.onlyCa = true}},
                  user,
                  "unknown (scope)"},
        ScopeCase{"OnlyCaCertificatesForACa",
                  {.revokedSerials = {4}, .scope = {.onlyCa = true}},
                  subordinateCa,
                  "not revoked"},
        ScopeCase{"OnlyUserCertificates",
                  {.revokedSerials = {4}, .scope = {.onlyUser = true}},
                  user,
                  "not revoked"},
        ScopeCase{"OnlyUserCertificatesForACa",
                  {.revokedSerials = {4}, .scope = {.onlyUser = true}},
                  subordinateCa,
                  "unknown (scope)"},
        ScopeCase{"OnlyAttributeCertificates",
                  {.revokedSerials = {4}, .scope = {.onlyAttributes = true}},
                  user,
                  "unknown (scope)"},
        ScopeCase{"OnlySomeReasons",
                  {.revokedSerials = {4}, .scope = {.someReasons = true}},
                  user,
                  "unknown (scope)"},
        ScopeCase{"Indirect", {.revokedSerials = {4}, .scope = {.indirect = true}}, user, "unknown (scope)"},
        ScopeCase{"ItsDistributionPoint",
                  {.revokedSerials = {4}, .scope = {.distributionPoint = "http://crl.example/a.crl"}},
                  partitionA,
                  "not revoked"},
        ScopeCase{"AnotherDistributionPoint",
                  {.revokedSerials = {4}, .scope = {.distributionPoint = "http://crl.example/b.crl"}},
                  partitionA,
                  "unknown (scope)"},
        ScopeCase{"UnknownCriticalExtension",
                  {.revokedSerials = {4}, .unknownCriticalExtension = true},
                  user,
                  "unknown (scope)"},
        ScopeCase{"EntryWithUnknownCriticalExtension",
                  {.revokedSerials = {4}, .entriesUnknownCriticalExtension = true},
                  user,
                  "unknown (scope)"},
        ScopeCase{"EntryOfAnotherIssuer",
                  {.revokedSerials = {9}, .entriesCertificateIssuer = "/O=Other/CN=Other CA"},
                  user,
                  "not revoked"},
        // The dates, a second either side of each boundary.
        ScopeCase{"ThisUpdateASecondBefore",
                  {.revokedSerials = {4}, .lastUpdate = "20291231235959Z", .nextUpdate = nextMonth},
                  user,
                  "not revoked",
                  year2030},
        ScopeCase{"ThisUpdateAtTheCheckTime",
                  {.revokedSerials = {4}, .lastUpdate = "20300101000000Z", .nextUpdate = nextMonth},
                  user,
                  "not revoked",
                  year2030},
        ScopeCase{"ThisUpdateASecondAfter",
                  {.revokedSerials = {4}, .lastUpdate = "20300101000001Z", .nextUpdate = nextMonth},
                  user,
                  "unknown (not-yet-valid)",
                  year2030},
        ScopeCase{"NextUpdateASecondAfter",
                  {.revokedSerials = {4}, .lastUpdate = lastMonth, .nextUpdate = "20300101000001Z"},
                  user,
                  "not revoked",
                  year2030},
        ScopeCase{"NextUpdateAtTheCheckTime",
                  {.revokedSerials = {4}, .lastUpdate = lastMonth, .nextUpdate = "20300101000000Z"},
                  user,
                  "unknown (stale)",
                  year2030},
        ScopeCase{"NextUpdateASecondBefore",
                  {.revokedSerials = {4}, .lastUpdate = lastMonth, .nextUpdate = "20291231235959Z"},
                  user,
                  "unknown (stale)",
                  year2030},
        ScopeCase{"NoNextUpdate",
                  {.revokedSerials = {4}, .lastUpdate = lastMonth, .noNextUpdate = true},
                  user,
                  "not revoked",
                  year2030},
        ScopeCase{"StaleListListingIt",
                  {.revokedSerials = {9}, .lastUpdate = lastMonth, .nextUpdate = "20291231235959Z"},
                  user,
                  "revoked",
                  year2030},
        ScopeCase{"IssuerCannotSignLists",
                  {.revokedSerials = {4}},
                  user,
                  "unknown (issuer-cannot-sign-crls)",
                  0,
                  false},
        ScopeCase{"IssuerCannotSignListsListingIt", {.revokedSerials = {9}}, user, "revoked", 0, false},
        ScopeCase{"EntryRemovedFromTheList",
                  {.revokedSerials = {9}, .entriesRemoveFromCrl = true},
                  user,
                  "unknown (scope)"},
        ScopeCase{"OtherEntryRemovedFromTheList",
                  {.revokedSerials = {4}, .entriesRemoveFromCrl = true},
                  user,
                  "not revoked"},
        ScopeCase{"EntryNamingItsIssuer",
                  {.revokedSerials = {9}, .entriesCertificateIssuer = "/O=Acme Ltd/CN=Acme CA"},
                  user,
                  "revoked"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

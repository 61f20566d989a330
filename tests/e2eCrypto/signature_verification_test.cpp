#include "e2eCrypto/signature_verification.h"

#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/verification_store.h"
#include "support/document_writer.h"
#include "support/fixed_clock.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace {

using namespace testdoc;

const std::string document = std::string("Quarterly figures\r\n\0binary\xff tail", 33);

const Identity& signer() {
    static const Identity identity = makeIdentity({.subjectKeyIdentifier = true});
    return identity;
}

const Identity& secondSigner() {
    static const Identity identity =
        makeIdentity({.subject = "/O=Second Ltd/CN=Second Signer", .serial = 2, .keyIndex = 1});
    return identity;
}

// Same issuer name and serial number as signer(), another key and name.
const Identity& lookAlike() {
    static const Identity identity = makeIdentity({.subject = "/CN=Mallory", .keyIndex = 1}, &signer());
    return identity;
}

// count certificates like lookAlike(), each another (their subjects differ), all under one key.
std::vector<const X509*> lookAlikes(std::size_t count, bool hugePublicExponent = false) {
    static std::map<std::pair<std::size_t, bool>, Identity> made;
    std::vector<const X509*> certificates;
    for (std::size_t i = 0; i < count; ++i) {
        Identity& identity = made[{i, hugePublicExponent}];
        if (!identity.certificate) {
            identity = makeIdentity({.subject = "/CN=Mallory " + std::to_string(i),
                                     .keyIndex = 1,
                                     .hugePublicExponent = hugePublicExponent},
                                    &signer());
        }
        certificates.push_back(identity.certificate.get());
    }
    return certificates;
}

// Another key under signer()'s key identifier.
const Identity& keyIdentifierLookAlike() {
    static const Identity identity = makeIdentity({.subject = "/CN=Mallory",
                                                   .serial = 77,
                                                   .keyIndex = 1,
                                                   .keyIdentifierOf = signer().certificate.get()});
    return identity;
}

constexpr std::time_t year2030 = 1893456000; // 2030-01-01T00:00:00Z
const std::string aSecondBefore2030 = "20291231235959Z";
const std::string at2030 = "20300101000000Z";
const std::string aSecondAfter2030 = "20300101000001Z";

SignedContent verify(const std::string& layer, const RevocationCheck& check = {},
                     RevocationChoice revocation = RevocationChoice::Skip, X509_STORE* store = nullptr) {
    return verifySignature(layer, DigestSelector::Sha1, revocation, "/crl/path", check, store);
}

struct Expected {
    std::string header;
    std::string signatureText;
    std::string validityText;
    VerdictStatus validityStatus;
};

void expectVerdict(const SignatureVerdict& verdict, const Expected& expected) {
    EXPECT_EQ(verdict.header, expected.header);
    EXPECT_EQ(verdict.headerIcon,
              expected.header == "SUCCESS" ? VerdictIcon::GreenTick : VerdictIcon::RedCross);
    EXPECT_EQ(verdict.signatureText, expected.signatureText);
    const bool intact = expected.signatureText == "Verified";
    EXPECT_EQ(verdict.integrityText, intact ? "Contents not altered after message was signed"
                                            : "Contents Altered after message was signed");
    EXPECT_EQ(verdict.integrityStatus, intact ? VerdictStatus::Good : VerdictStatus::Bad);
    EXPECT_EQ(verdict.signatureStatus, intact ? VerdictStatus::Good : VerdictStatus::Bad);
    EXPECT_EQ(verdict.validityText, expected.validityText);
    EXPECT_EQ(verdict.validityStatus, expected.validityStatus);
}

TEST(VerifySignature, IntactSignatureWithoutTrustedRootIsVerified) {
    const SignedContent result = verify(signedLayer(document, signer()));
    EXPECT_EQ(result.content, document);
    expectVerdict(result.verdict, {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good});
    EXPECT_EQ(result.verdict.revocationText, "Certificate revocation status unknown");
    EXPECT_EQ(result.verdict.revocationStatus, VerdictStatus::Unknown);
    EXPECT_TRUE(result.verdict.description.starts_with(
        "CN=Test Signer\nEmail=signer@example.com\nO=Acme Ltd\nOU=Sales\nCertificate expires on: "))
        << result.verdict.description;
}

TEST(VerifySignature, ChangedContentFailsButIsStillReturned) {
    const SignedContent result = verify(signedLayer(document, signer(), {.tamperAfterSigning = true}));
    expectVerdict(result.verdict, {"FAILED", "Not Verified", "Certificate not expired", VerdictStatus::Good});
    ASSERT_EQ(result.content.size(), document.size());
    EXPECT_NE(result.content, document);
    EXPECT_EQ(result.content.substr(1), document.substr(1));
}

TEST(VerifySignature, GivenUpLayerIsReleasedAndGivesTheSameResult) {
    std::string layer = signedLayer(document, signer());
    const SignedContent result =
        verifySignature(std::move(layer), DigestSelector::Sha1, RevocationChoice::Skip, "", {});
    EXPECT_TRUE(layer.empty());
    EXPECT_EQ(result.content, document);
    EXPECT_EQ(result.verdict.signatureText, "Verified");

    // A layer refused before it is decoded is left as it was.
    std::string plain = "plain text";
    EXPECT_THROW(verifySignature(std::move(plain), DigestSelector::Sha1, RevocationChoice::Skip, "", {}),
                 errorDef::error_message);
    EXPECT_EQ(plain, "plain text");
}

struct SignerCase {
    const char* name;
    std::function<SignOptions()> options;
    bool verified;
    std::string described; // the name line the description starts with, "" for none
};

class SignerSet : public ::testing::TestWithParam<SignerCase> {};

constexpr const char* signerName = "CN=Test Signer\n";

TEST_P(SignerSet, EverySignerMustVerify) {
    const SignedContent result = verify(signedLayer(document, signer(), GetParam().options()));
    EXPECT_EQ(result.content, document);
    EXPECT_EQ(result.verdict.signatureText, GetParam().verified ? "Verified" : "Not Verified");
    EXPECT_EQ(result.verdict.header, GetParam().verified ? "SUCCESS" : "FAILED");
    // The first signer that failed is described, else the first.
    EXPECT_EQ(result.verdict.description.substr(0, GetParam().described.size()), GetParam().described);
    EXPECT_EQ(result.verdict.description.empty(), GetParam().described.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SignerSet,
    ::testing::Values(
        SignerCase{"Sha256", [] { return SignOptions{.digest = EVP_sha256()}; }, true, signerName},
        SignerCase{"TwoGoodSigners", [] { return SignOptions{.extraSigners = {&secondSigner()}}; }, true,
                   signerName},
        SignerCase{
            "SecondSignerBroken",
            [] { return SignOptions{.extraSigners = {&secondSigner()}, .extraSignersTampered = true}; },
            false, "CN=Second Signer\n"},
        SignerCase{"SignerCertificateAbsent", [] { return SignOptions{.includeSignerCertificate = false}; },
                   false, ""},
        SignerCase{"KeyIdentifier", [] { return SignOptions{.bySubjectKeyIdentifier = true}; }, true,
                   signerName},
        SignerCase{"KeyIdentifierSha256",
                   [] { return SignOptions{.digest = EVP_sha256(), .bySubjectKeyIdentifier = true}; }, true,
                   signerName},
        SignerCase{
            "KeyIdentifierCertificateAbsent",
            [] { return SignOptions{.includeSignerCertificate = false, .bySubjectKeyIdentifier = true}; },
            false, ""},
        // An empty signer list proves nothing.
        SignerCase{"NoSigners", [] { return SignOptions{.noSigners = true}; }, false, ""},
        // A certificate that copies the signer's identifiers, carried first, is passed over for the
        // one whose key verifies.
        SignerCase{"LookAlikeCarriedFirst",
                   [] { return SignOptions{.leadingCertificates = {lookAlike().certificate.get()}}; }, true,
                   signerName},
        // Each certificate is tried once and at most 16 in all: a genuine certificate carried after 16
        // others that name the signer is not tried, and the signature is not verified.
        SignerCase{"FifteenLookAlikesCarriedFirst",
                   [] { return SignOptions{.leadingCertificates = lookAlikes(15)}; }, true, signerName},
        SignerCase{"SixteenLookAlikesCarriedFirst",
                   [] { return SignOptions{.leadingCertificates = lookAlikes(16)}; }, false,
                   "CN=Mallory 0\n"},
        SignerCase{"OneLookAlikeCarriedTwentyTimesFirst",
                   [] {
                       return SignOptions{.leadingCertificates =
                                              std::vector<const X509*>(20, lookAlike().certificate.get())};
                   },
                   true, signerName},
        // A key with a huge public exponent is no candidate, so does not count towards the 16.
        SignerCase{"HugeExponentLookAlikesCarriedFirst",
                   [] { return SignOptions{.leadingCertificates = lookAlikes(16, true)}; }, true, signerName},
        SignerCase{"KeyIdentifierLookAlikeCarriedFirst",
                   [] {
                       return SignOptions{.leadingCertificates = {keyIdentifierLookAlike().certificate.get()},
                                          .bySubjectKeyIdentifier = true};
                   },
                   true, signerName},
        // indefinite lengths and the content in pieces, which only the library's own reading takes apart
        SignerCase{"Streamed", [] { return SignOptions{.streamed = true}; }, true, signerName},
        SignerCase{"ContentTypeAttributeNamesAnotherType",
                   [] { return SignOptions{.contentTypeAttribute = "1.2.840.113549.1.7.2"}; }, false,
                   signerName}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VerifySignature, EmptyContentIsVerifiedAndComesBackEmpty) {
    const SignedContent result = verify(signedLayer(document, signer(), {.emptyContent = true}));
    EXPECT_EQ(result.content, "");
    expectVerdict(result.verdict, {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good});
}

TEST(VerifySignature, ContentSpanningManyReadPiecesComesBackWhole) {
    std::string large(3 * 307200 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>(i * 131 % 251);
    }
    const SignedContent result = verify(signedLayer(large, signer()));
    EXPECT_EQ(result.content, large);
    EXPECT_EQ(result.verdict.signatureText, "Verified");
}

struct DateCase {
    const char* name;
    CertificateOptions options;
    Expected expected;
    std::string expiryLine;
    std::time_t moment = year2030; // the check time; 0 for the clock (offset dates follow it)
};

class SignerDates : public ::testing::TestWithParam<DateCase> {};

TEST_P(SignerDates, JudgeTheSignerCertificate) {
    std::optional<FixedClock> clock;
    if (GetParam().moment != 0) {
        clock.emplace(GetParam().moment);
    }
    const Identity identity = makeIdentity(GetParam().options);
    const SignedContent result = verify(signedLayer(document, identity));
    expectVerdict(result.verdict, GetParam().expected);
    if (!GetParam().expiryLine.empty()) {
        EXPECT_NE(result.verdict.description.find(GetParam().expiryLine), std::string::npos)
            << result.verdict.description;
    }
}

constexpr std::int64_t day = 24 * 3600;

INSTANTIATE_TEST_SUITE_P(
    Cases, SignerDates,
    ::testing::Values(
        DateCase{"Expired",
                 {.notBeforeOffset = -10 * day, .notAfterOffset = -day},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 "",
                 0},
        DateCase{"NotYetValid",
                 {.notBeforeOffset = day, .notAfterOffset = 10 * day},
                 {"FAILED", "Verified", "Signer certificate is not yet valid", VerdictStatus::Bad},
                 "",
                 0},
        // A second either side of each date: the end is passed at its own second, the start begun.
        DateCase{"EndASecondBefore",
                 {.notBefore = "20200101000000Z", .notAfter = aSecondBefore2030},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 ""},
        DateCase{"EndAtTheCheckTime",
                 {.notBefore = "20200101000000Z", .notAfter = at2030},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 ""},
        DateCase{"EndASecondAfter",
                 {.notBefore = "20200101000000Z", .notAfter = aSecondAfter2030},
                 {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good},
                 ""},
        DateCase{"StartASecondBefore",
                 {.notBefore = aSecondBefore2030, .notAfter = "20400101000000Z"},
                 {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good},
                 ""},
        DateCase{"StartAtTheCheckTime",
                 {.notBefore = at2030, .notAfter = "20400101000000Z"},
                 {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good},
                 ""},
        DateCase{"StartASecondAfter",
                 {.notBefore = aSecondAfter2030, .notAfter = "20400101000000Z"},
                 {"FAILED", "Verified", "Signer certificate is not yet valid", VerdictStatus::Bad},
                 ""},
        // An end date without seconds is still read.
        DateCase{"ExpiredWithoutSeconds",
                 {.notBefore = "0301010000Z", .notAfter = "0312312359Z"},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 "Certificate expires on: Dec 31 23:59:00 2003 GMT\n"},
        DateCase{"NotYetValidWithoutSeconds",
                 {.notBefore = "4901010000Z", .notAfter = "4912312359Z"},
                 {"FAILED", "Verified", "Signer certificate is not yet valid", VerdictStatus::Bad},
                 "Certificate expires on: Dec 31 23:59:00 2049 GMT\n"},
        // GeneralizedTime, as every date from 2050 on is written, with fractions and offsets.
        DateCase{"GeneralizedTimeInThePast",
                 {.notBefore = "19900101000000Z", .notAfter = "19991231235959Z"},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 "Certificate expires on: Dec 31 23:59:59 1999 GMT\n"},
        DateCase{"GeneralizedTimeNotYetBegun",
                 {.notBefore = "20400101000000Z", .notAfter = "20601231235959Z"},
                 {"FAILED", "Verified", "Signer certificate is not yet valid", VerdictStatus::Bad},
                 "Certificate expires on: Dec 31 23:59:59 2060 GMT\n"},
        DateCase{"GeneralizedTimeCurrent",
                 {.notBefore = "20200101000000Z", .notAfter = "20601231235959Z"},
                 {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good},
                 ""},
        DateCase{"GeneralizedTimeFractionsAndOffsetsInThePast",
                 {.notBefore = "20100101000000.5+0100", .notAfter = "20201231235959.999-0130"},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 "Certificate expires on: Dec 31 23:59:59 2020\n"},
        // A date no rule reads never passes for one to come, and is shown as written.
        DateCase{"UnreadableEndDate",
                 {.notBefore = "030101000000Z", .notAfter = "031399000000Z"},
                 {"FAILED", "Verified", "Certificate Expired", VerdictStatus::Bad},
                 "Certificate expires on: 031399000000Z\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RevocationCase {
    const char* name;
    std::function<RevocationAnswer()> answer;
    std::string header;
    std::string revocationText;
    VerdictStatus revocationStatus;
};

class Revocation : public ::testing::TestWithParam<RevocationCase> {};

TEST_P(Revocation, CheckDecidesOrLeavesUnknown) {
    const std::string layer = signedLayer(document, signer());
    RevocationSubject seen;
    std::string seenPath;
    const SignedContent result = verify(
        layer,
        [&](const RevocationSubject& subject, const std::string& crlPath) {
            seen = subject;
            seenPath = crlPath;
            return GetParam().answer();
        },
        RevocationChoice::Check);
    EXPECT_EQ(result.verdict.header, GetParam().header);
    EXPECT_EQ(result.verdict.revocationText, GetParam().revocationText);
    EXPECT_EQ(result.verdict.revocationStatus, GetParam().revocationStatus);
    EXPECT_EQ(result.verdict.signatureText, "Verified");
    // The description, with its expiry line, is there whatever the check answered.
    EXPECT_NE(result.verdict.description.find("Certificate expires on: "), std::string::npos);
    EXPECT_EQ(seenPath, "/crl/path");
    ASSERT_NE(seen.certificate, nullptr);
    EXPECT_NE(seen.bundledCertificates, nullptr);
    EXPECT_NE(seen.caStore, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Revocation,
    ::testing::Values(
        RevocationCase{"Revoked", [] { return RevocationAnswer{.status = RevocationStatus::Revoked}; },
                       "FAILED", "Signer Certificate is REVOKED", VerdictStatus::Bad},
        RevocationCase{"NotRevoked", [] { return RevocationAnswer{.status = RevocationStatus::NotRevoked}; },
                       "SUCCESS", "Certificate is NOT REVOKED", VerdictStatus::Good},
        RevocationCase{"ListCannotDecide",
                       [] { return RevocationAnswer{.status = RevocationStatus::Unknown}; }, "SUCCESS",
                       "Certificate revocation status unknown", VerdictStatus::Unknown},
        RevocationCase{
            "CrlUnreadable",
            []() -> RevocationAnswer { throw errorDef::error_message("Cannot read data from CRL"); },
            "SUCCESS", "Certificate revocation status unknown", VerdictStatus::Unknown},
        RevocationCase{"Warning", []() -> RevocationAnswer { throw errorDef::Warning("odd CRL"); }, "SUCCESS",
                       "Certificate revocation status unknown", VerdictStatus::Unknown}),
    [](const auto& info) { return std::string(info.param.name); });

// Good, revoked, expired: each is judged, the first that failed is shown, and each has its facts.
TEST(VerifySignature, EverySignerIsJudged) {
    const Identity expired = makeIdentity({.subject = "/CN=Old Signer",
                                           .serial = SerialNumber::hex("00C0FFEE"),
                                           .notBeforeOffset = -10 * 24 * 3600,
                                           .notAfterOffset = -24 * 3600,
                                           .keyIndex = 1});
    const auto revokesSerialTwo = [](const RevocationSubject& subject, const std::string&) {
        const bool listed = ASN1_INTEGER_get(X509_get0_serialNumber(subject.certificate)) == 2;
        return RevocationAnswer{listed ? RevocationStatus::Revoked : RevocationStatus::NotRevoked,
                                CrlFacts{"/CN=Acme CA", "2026-01-01T00:00:00Z", ""}};
    };
    const SignedContent result =
        verify(signedLayer(document, signer(), {.extraSigners = {&secondSigner(), &expired}}),
               revokesSerialTwo, RevocationChoice::Check);
    EXPECT_EQ(result.verdict.header, "FAILED");
    EXPECT_EQ(result.verdict.revocationText, "Signer Certificate is REVOKED");
    EXPECT_EQ(result.verdict.validityText, "Certificate not expired");
    EXPECT_TRUE(result.verdict.description.starts_with("CN=Second Signer\n")) << result.verdict.description;

    const std::vector<SignerFacts>& signers = result.verdict.signers;
    ASSERT_EQ(signers.size(), 3u);
    EXPECT_EQ(signers[0].subject, "/C=US/O=Acme Ltd/OU=Sales/CN=Test Signer/Email=signer@example.com");
    EXPECT_EQ(signers[0].serial, "01");
    EXPECT_EQ(signers[0].sha256.size(), 64u);
    EXPECT_EQ(signers[0].digest + " " + signers[0].signatureAlgorithm, "SHA1 rsaEncryption");
    EXPECT_TRUE(signers[0].signingTime.has_value() && signers[0].signatureValid && !signers[0].chainTrusted);
    EXPECT_EQ(signers[0].revocation, RevocationStatus::NotRevoked);
    EXPECT_EQ(signers[0].crl.value().issuer, "/CN=Acme CA");
    EXPECT_EQ(signers[1].revocation, RevocationStatus::Revoked);
    EXPECT_EQ(signers[2].serial, "c0ffee");
    EXPECT_TRUE(signers[2].expired && !signers[1].expired);
    EXPECT_LT(signers[2].notAfter, signers[0].notAfter);
}

// A signer found in the CA store by its key, past a look-alike the document carries; its chain reaches
// the store's root.
TEST(VerifySignature, SignerCertificateFromTheStoreWhoseKeyVerifies) {
    const Identity authority =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 2, .isCa = true});
    const Identity issued = makeIdentity({.serial = 9}, &authority);
    const Identity forged = makeIdentity({.subject = "/CN=Mallory", .serial = 9, .keyIndex = 1}, &authority);
    const X509StorePtr store(X509_STORE_new());
    X509_STORE_add_cert(store.get(), authority.certificate.get());
    X509_STORE_add_cert(store.get(), issued.certificate.get());
    X509_STORE_set_verify_cb(store.get(), chainVerifyCallback);
    const std::string layer =
        signedLayer(document, issued,
                    {.includeSignerCertificate = false, .leadingCertificates = {forged.certificate.get()}});

    const SignedContent result = verify(layer, {}, RevocationChoice::Skip, store.get());
    expectVerdict(result.verdict, {"SUCCESS", "Verified", "Certificate not expired", VerdictStatus::Good});
    EXPECT_TRUE(result.verdict.description.starts_with(signerName)) << result.verdict.description;
    ASSERT_EQ(result.verdict.signers.size(), 1u);
    EXPECT_TRUE(result.verdict.signers[0].chainTrusted);
    EXPECT_EQ(result.verdict.signers[0].chainSubjects,
              (std::vector<std::string>{result.verdict.signers[0].subject, "/O=Acme Ltd/CN=Acme CA"}));
    EXPECT_EQ(result.verdict.signers[0].revocation, RevocationStatus::NotChecked);
}

// Full path validation at the check time: every authority's dates, CA constraints, algorithms and
// purpose. The chain is a fact of its own: it never changes the header, and the signer's own dates are
// the validity line's, not the chain's.
struct ChainCase {
    const char* name;
    CertificateOptions root;                       // self-signed, in the store unless rootInStore is false
    std::vector<CertificateOptions> intermediates; // from the root down, carried in the document
    CertificateOptions signer;
    ChainProblem problem;
    std::string header = "SUCCESS";
    bool rootInStore = true;
};

const std::string longAgo = "20200101000000Z";
const std::string farAhead = "20401231235959Z";

CertificateOptions authorityOptions(const char* name, int keyIndex) {
    return {.subject = std::string("/O=Chain/CN=") + name,
            .serial = 1000 + keyIndex,
            .notBefore = longAgo,
            .notAfter = farAhead,
            .keyIndex = keyIndex,
            .isCa = true};
}

CertificateOptions rootOptions() {
    return authorityOptions("Root", 10);
}

CertificateOptions intermediateOptions(int level = 0) {
    return authorityOptions(("Intermediate " + std::to_string(level)).c_str(), 11 + level);
}

CertificateOptions signerOptions() {
    return {.subject = "/O=Chain/CN=Signer",
            .serial = 7,
            .notBefore = longAgo,
            .notAfter = farAhead,
            .keyIndex = 20};
}

template <typename Change> CertificateOptions with(CertificateOptions options, Change change) {
    change(options);
    return options;
}

std::vector<CertificateOptions> intermediates(int count) {
    std::vector<CertificateOptions> chain;
    for (int level = 0; level < count; ++level) {
        chain.push_back(intermediateOptions(level));
    }
    return chain;
}

class ChainTrust : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ChainTrust, FullPathValidationDecidesTheChain) {
    const FixedClock clock(year2030);
    std::vector<Identity> issuers;
    issuers.push_back(makeIdentity(GetParam().root));
    for (const CertificateOptions& options : GetParam().intermediates) {
        issuers.push_back(makeIdentity(options, &issuers.back()));
    }
    const Identity identity = makeIdentity(GetParam().signer, &issuers.back());
    const X509StorePtr store = makeVerificationStore();
    if (GetParam().rootInStore) {
        X509_STORE_add_cert(store.get(), issuers.front().certificate.get());
    }
    SignOptions options;
    for (const Identity& issuer : issuers) {
        options.extraCertificates.push_back(issuer.certificate.get());
    }
    const SignedContent result =
        verify(signedLayer(document, identity, options), {}, RevocationChoice::Skip, store.get());
    EXPECT_EQ(result.verdict.header, GetParam().header);
    EXPECT_EQ(result.verdict.signatureText, "Verified");
    ASSERT_EQ(result.verdict.signers.size(), 1u);
    const SignerFacts& facts = result.verdict.signers[0];
    EXPECT_EQ(chainProblemName(facts.chainProblem), std::string(chainProblemName(GetParam().problem)));
    EXPECT_EQ(facts.chainTrusted, GetParam().problem == ChainProblem::None);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChainTrust,
    ::testing::Values(
        ChainCase{"RootOnly", rootOptions(), {}, signerOptions(), ChainProblem::None},
        ChainCase{"ThroughAnIntermediate", rootOptions(), intermediates(1), signerOptions(),
                  ChainProblem::None},
        ChainCase{"RootNotInTheStore",
                  rootOptions(),
                  {},
                  signerOptions(),
                  ChainProblem::UnknownAuthority,
                  "SUCCESS",
                  false},
        // An authority's dates, a second either side of each.
        ChainCase{"RootEndASecondBefore",
                  with(rootOptions(), [](auto& o) { o.notAfter = aSecondBefore2030; }),
                  {},
                  signerOptions(),
                  ChainProblem::ExpiredAuthority},
        ChainCase{"RootEndASecondAfter",
                  with(rootOptions(), [](auto& o) { o.notAfter = aSecondAfter2030; }),
                  {},
                  signerOptions(),
                  ChainProblem::None},
        ChainCase{"IntermediateEndAtTheCheckTime",
                  rootOptions(),
                  {with(intermediateOptions(), [](auto& o) { o.notAfter = at2030; })},
                  signerOptions(),
                  ChainProblem::ExpiredAuthority},
        ChainCase{"IntermediateStartASecondAfter",
                  rootOptions(),
                  {with(intermediateOptions(), [](auto& o) { o.notBefore = aSecondAfter2030; })},
                  signerOptions(),
                  ChainProblem::NotYetValidAuthority},
        ChainCase{"IntermediateStartAtTheCheckTime",
                  rootOptions(),
                  {with(intermediateOptions(), [](auto& o) { o.notBefore = at2030; })},
                  signerOptions(),
                  ChainProblem::None},
        // The signer's own dates fail the header and leave the chain alone.
        ChainCase{"SignerExpired",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.notAfter = aSecondBefore2030; }),
                  ChainProblem::None,
                  "FAILED"},
        ChainCase{"SignerNotYetValid",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.notBefore = aSecondAfter2030; }),
                  ChainProblem::None,
                  "FAILED"},
        ChainCase{"SignerCertificateSignedWithMd5",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.issuerDigest = EVP_md5(); }),
                  ChainProblem::WeakAlgorithm},
        ChainCase{"IntermediateSignedWithMd5",
                  rootOptions(),
                  {with(intermediateOptions(), [](auto& o) { o.issuerDigest = EVP_md5(); })},
                  signerOptions(),
                  ChainProblem::WeakAlgorithm},
        ChainCase{"SignerKeyOf512Bits",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.keyBits = 512; }),
                  ChainProblem::WeakAlgorithm},
        ChainCase{"IntermediateNoCa",
                  rootOptions(),
                  {with(intermediateOptions(), [](auto& o) { o.isCa = false; })},
                  signerOptions(),
                  ChainProblem::NotACa},
        ChainCase{"IntermediateWithoutCertificateSigning",
                  rootOptions(),
                  {with(intermediateOptions(), [](auto& o) { o.keyUsage = "critical,cRLSign"; })},
                  signerOptions(),
                  ChainProblem::NotACa},
        ChainCase{"PathLengthExceeded",
                  with(rootOptions(), [](auto& o) { o.basicConstraints = "critical,CA:TRUE,pathlen:0"; }),
                  intermediates(1), signerOptions(), ChainProblem::NotACa},
        ChainCase{"SignerKeyUsageForEnciphermentOnly",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.keyUsage = "keyEncipherment"; }),
                  ChainProblem::UnfitForSigning},
        ChainCase{"SignerKeyUsageNonRepudiation",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.keyUsage = "nonRepudiation"; }),
                  ChainProblem::None},
        ChainCase{"SignerForServersOnly",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.extendedKeyUsage = "serverAuth"; }),
                  ChainProblem::UnfitForSigning},
        ChainCase{"SignerForEmail",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.extendedKeyUsage = "emailProtection"; }),
                  ChainProblem::None},
        ChainCase{"SignerForAnyUsage",
                  rootOptions(),
                  {},
                  with(signerOptions(), [](auto& o) { o.extendedKeyUsage = "anyExtendedKeyUsage"; }),
                  ChainProblem::None},
        ChainCase{"SignerForAnyUsageButEnciphermentOnly",
                  rootOptions(),
                  {},
                  with(signerOptions(),
                       [](auto& o) {
                           o.extendedKeyUsage = "anyExtendedKeyUsage";
                           o.keyUsage = "keyEncipherment";
                       }),
                  ChainProblem::UnfitForSigning},
        // Past the depth limit a chain is too long, whether or not it reaches a known root; the
        // signature stays intact.
        ChainCase{"FiveIntermediates", rootOptions(), intermediates(5), signerOptions(), ChainProblem::None},
        ChainCase{"SixIntermediates", rootOptions(), intermediates(6), signerOptions(),
                  ChainProblem::TooLong},
        ChainCase{"SixIntermediatesSelfMade", rootOptions(), intermediates(6), signerOptions(),
                  ChainProblem::TooLong, "SUCCESS", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VerifySignature, SkippedRevocationNeverRunsTheCheck) {
    int calls = 0;
    const SignedContent result = verify(
        signedLayer(document, signer()),
        [&calls](const RevocationSubject&, const std::string&) {
            ++calls;
            return RevocationAnswer{.status = RevocationStatus::Revoked};
        },
        RevocationChoice::Skip);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(result.verdict.header, "SUCCESS");
    EXPECT_EQ(result.verdict.revocationText, "Certificate revocation status unknown");
    EXPECT_EQ(result.verdict.revocationStatus, VerdictStatus::Unknown);
}

TEST(VerifySignature, MissingCheckLeavesRevocationUnknown) {
    const SignedContent result = verify(signedLayer(document, signer()), {}, RevocationChoice::Check);
    EXPECT_EQ(result.verdict.revocationStatus, VerdictStatus::Unknown);
    EXPECT_NE(result.verdict.description.find("Certificate expires on: "), std::string::npos);
}

TEST(VerifySignature, FatalFromTheRevocationCheckPassesThrough) {
    const auto fatal = [](const RevocationSubject&, const std::string&) -> RevocationAnswer {
        throw errorDef::Fatal("System is low in memory");
    };
    try {
        verify(signedLayer(document, signer()), fatal, RevocationChoice::Check);
        FAIL() << "no Fatal";
    } catch (const errorDef::Fatal& error) {
        EXPECT_EQ(error.message, "System is low in memory");
    }
}

// Which record a broken layer throws, and with which text.
enum class Record { ErrorDef, E2e };

struct BrokenCase {
    const char* name;
    std::function<std::string()> layer;
    DigestSelector digestSelector;
    Record record;
    std::string message;
};

class BrokenLayer : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenLayer, ThrowsItsRecord) {
    const std::string layer = GetParam().layer();
    try {
        verifySignature(layer, GetParam().digestSelector, RevocationChoice::Skip, "", {});
        FAIL() << "nothing thrown";
    } catch (const errorDef::error_message& error) {
        EXPECT_EQ(GetParam().record, Record::ErrorDef);
        EXPECT_EQ(error.message, GetParam().message);
    } catch (const e2eError::error_message& error) {
        EXPECT_EQ(GetParam().record, Record::E2e);
        EXPECT_EQ(error.message, GetParam().message);
    }
}

std::string validLayer() {
    return signedLayer(document, signer());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenLayer,
    ::testing::Values(
        BrokenCase{"Empty", [] { return std::string(); }, DigestSelector::Sha1, Record::E2e,
                   "Neccessary fields needed to VERIFY are not given"},
        BrokenCase{"DigestSelectorZero", validLayer, static_cast<DigestSelector>(0), Record::E2e,
                   "This Digest Type is not supported in this version."},
        BrokenCase{"DigestSelectorThree", validLayer, static_cast<DigestSelector>(3), Record::E2e,
                   "This Digest Type is not supported in this version."},
        BrokenCase{"NoBeginMarker", [] { return std::string("plain text"); }, DigestSelector::Sha1,
                   Record::ErrorDef, "Invalid format for a signed file"},
        BrokenCase{"NoEndMarker",
                   [] {
                       const std::string layer = validLayer();
                       return layer.substr(0, layer.find(envelope::pkcs7End));
                   },
                   DigestSelector::Sha1, Record::ErrorDef, "Invalid signature format"},
        BrokenCase{"BadBase64", [] { return armour("x").replace(23, 1, "*"); }, DigestSelector::Sha1,
                   Record::ErrorDef, "Error in decoding. Format is invalid"},
        BrokenCase{"NotDer", [] { return armour("not a signedData"); }, DigestSelector::Sha1,
                   Record::ErrorDef, "Invalid Signature Format"},
        BrokenCase{"Detached", [] { return signedLayer(document, signer(), {.detached = true}); },
                   DigestSelector::Sha1, Record::E2e, "Invalid Signature Format"},
        BrokenCase{"KeyIdentifierDetached",
                   [] {
                       return signedLayer(document, signer(),
                                          {.detached = true, .bySubjectKeyIdentifier = true});
                   },
                   DigestSelector::Sha1, Record::E2e, "Invalid Signature Format"},
        // The library has no way to check an Ed25519 signature in this form: no verdict can be given.
        BrokenCase{"Ed25519Signer",
                   [] {
                       return signedLayer(
                           document, makeIdentity({.subject = "/CN=Edwards", .serial = 5, .ed25519 = true}));
                   },
                   DigestSelector::Sha1, Record::E2e, "This Digest Type is not supported in this version."},
        // A digest whose collisions can be made vouches for nothing.
        BrokenCase{"Md5Digest", [] { return signedLayer(document, signer(), {.digest = EVP_md5()}); },
                   DigestSelector::Md5, Record::E2e, "This Digest Type is not supported in this version."},
        // envelopedData has no content the digesting stream can give
        BrokenCase{"EnvelopedData",
                   [] { return armour(envelopedDataDer(document, {signer().certificate.get()})); },
                   DigestSelector::Sha1, Record::E2e, "Incompatible Signature Format. Cannot Verify"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MakeSignatureVerdict, LaterJudgementsOverwriteEarlierOnes) {
    VerificationState state;
    state.certificateExpired = true;
    state.notYetValid = true;
    state.certificateRevoked = true;
    const SignatureVerdict verdict = makeSignatureVerdict(state, "who");
    EXPECT_EQ(verdict.header, "FAILED");
    EXPECT_EQ(verdict.signatureText, "Verified");
    EXPECT_EQ(verdict.validityText, "Signer certificate is not yet valid");
    // A revoked certificate is reported as such even when the status was otherwise unknown.
    EXPECT_EQ(verdict.revocationText, "Signer Certificate is REVOKED");
    EXPECT_EQ(verdict.description, "who");
}

struct CallbackCase {
    int ok;
    int depth;
    int result;
    int error;
};

class ChainVerifyCallback : public ::testing::TestWithParam<CallbackCase> {};

TEST_P(ChainVerifyCallback, ToleratesProblemsUpToFiveAboveTheSigner) {
    const X509StoreCtxPtr context(X509_STORE_CTX_new());
    X509_STORE_CTX_set_error(context.get(), X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY);
    X509_STORE_CTX_set_error_depth(context.get(), GetParam().depth);
    EXPECT_EQ(chainVerifyCallback(GetParam().ok, context.get()), GetParam().result);
    EXPECT_EQ(X509_STORE_CTX_get_error(context.get()), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Cases, ChainVerifyCallback,
                         ::testing::Values(CallbackCase{1, 9, 1,
                                                        X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY},
                                           CallbackCase{0, 0, 1, X509_V_OK}, CallbackCase{0, 5, 1, X509_V_OK},
                                           CallbackCase{0, 6, 0, X509_V_ERR_CERT_CHAIN_TOO_LONG}));

} // namespace

// The certificate-encrypted layer: the validity warnings that never stop decryption, the key
// notice and its marker file, the store's password, and layers that are not what they claim.
#include "support/job_harness.h"

#include <gtest/gtest.h>

namespace {

const std::string plain = "for the recipient only\n";

struct ValidityCase {
    const char* name;
    std::int64_t notBeforeOffset;
    std::int64_t notAfterOffset;
    std::vector<ShownMessage> warnings;
};

const ShownMessage expired{"Your Decryption Certificate has Expired", IconKind::Information, Buttons::Ok};
const ShownMessage notYetValid{"Your Decryption Certificate is Not Yet Valid!", IconKind::Information,
                               Buttons::Ok};
constexpr std::int64_t day = 24 * 3600;

const ValidityCase validityCases[] = {
    {"Valid", -day, 30 * day, {}},
    {"Expired", -30 * day, -day, {expired}},
    {"NotYetValid", day, 30 * day, {notYetValid}},
    {"ExpiredAndStartingLater", day, -day, {expired}},
};

class ValidityTest : public testing::TestWithParam<ValidityCase> {};

TEST_P(ValidityTest, WarnsAndStillDecrypts) {
    const ValidityCase& c = GetParam();
    JobHarness harness;
    testdoc::CertificateOptions options;
    // A name of its own per case: a store shared by the cases keeps each certificate apart.
    options.subject = std::string("/CN=Dated Recipient ") + c.name;
    options.serial = 7;
    options.keyIndex = 2;
    options.notBeforeOffset = c.notBeforeOffset;
    options.notAfterOffset = c.notAfterOffset;
    const testdoc::Identity recipient = testdoc::makeIdentity(options);
    harness.makeStore(recipient);
    const std::string input =
        harness.write("doc.qsig", testdoc::asymmetricLayer(plain, recipient.certificate.get()));

    harness.runSingle(input, harness.path("doc.txt"));

    std::vector<ShownMessage> expected = c.warnings;
    expected.push_back({"Decryption complete and File Saved", IconKind::Success, Buttons::Ok});
    EXPECT_EQ(harness.ui.messages(), expected);
    EXPECT_EQ(harness.read("doc.txt"), plain);
}

INSTANTIATE_TEST_SUITE_P(RecipientCertificate, ValidityTest, testing::ValuesIn(validityCases),
                         [](const testing::TestParamInfo<ValidityCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(CertificateStep, TheKeyNoticeIsShownUntilThePersonTicksDoNotShowAgain) {
    JobHarness harness;
    harness.makeStore();
    const std::string input = harness.write("doc.qsig", wrapLayers("K", plain));
    harness.ui.keyNoticeAnswers = {false, true};

    harness.runSingle(input, harness.path("one.txt"));
    EXPECT_FALSE(harness.exists("app/askag")) << "unticked: the notice stays on";
    harness.runSingle(input, harness.path("two.txt"));
    EXPECT_EQ(harness.read("app/askag"), "k");
    harness.runSingle(input, harness.path("three.txt"));

    EXPECT_EQ(harness.ui.keyNotices(), 2);
    EXPECT_EQ(harness.read("three.txt"), plain);
}

TEST(CertificateStep, TheNoticeComesBeforeTheStorePassword) {
    JobHarness harness;
    harness.makeStore("store secret");
    const std::string input = harness.write("doc.qsig", wrapLayers("K", plain));
    harness.ui.storePasswords = {"store secret"};

    harness.runSingle(input, harness.path("doc.txt"));

    const auto kinds = harness.ui.kinds();
    ASSERT_GE(kinds.size(), 2u);
    EXPECT_EQ(kinds[0], UiEvent::Kind::KeyNotice);
    EXPECT_EQ(kinds[1], UiEvent::Kind::StorePasswordPrompt);
    EXPECT_EQ(harness.read("doc.txt"), plain);
}

TEST(CertificateStep, ACancelledStorePasswordFailsTheFile) {
    JobHarness harness;
    harness.makeStore("store secret");
    const std::string input = harness.write("doc.qsig", wrapLayers("K", plain));
    const std::string output = harness.path("doc.txt");

    const JobReport report = harness.runSingle(input, output);

    EXPECT_EQ(harness.ui.storePasswordPrompts(), 1);
    EXPECT_EQ(harness.ui.messages().back().icon, IconKind::Error);
    ASSERT_EQ(harness.log().size(), 1u);
    EXPECT_EQ(harness.log()[0].kind, "ERROR");
    EXPECT_FALSE(harness.exists("doc.txt"));
    EXPECT_EQ(report.files.at(0).status, FileStatus::Failed);
}

TEST(CertificateStep, ARecipientMissingFromTheStoreIsReportedByName) {
    JobHarness harness;
    harness.makeStore();
    testdoc::CertificateOptions absentOptions;
    absentOptions.subject = "/O=Acme Ltd/CN=Absent Recipient";
    absentOptions.serial = 11;
    absentOptions.keyIndex = 3;
    const testdoc::Identity absent = testdoc::makeIdentity(absentOptions);
    const std::string input =
        harness.write("doc.qsig", testdoc::asymmetricLayer(plain, absent.certificate.get()));

    harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"Decryption Certificate of \"Absent Recipient\" not found!", IconKind::Error,
                            Buttons::Ok}));
}

TEST(CertificateStep, TheRecipientTheLayerNamesIsOpenedWhereverItStands) {
    JobHarness harness;
    harness.makeStore();
    testdoc::CertificateOptions otherOptions;
    otherOptions.subject = "/CN=Someone Else";
    otherOptions.serial = 9;
    otherOptions.keyIndex = 4;
    const testdoc::Identity other = testdoc::makeIdentity(otherOptions);
    const X509* ours = testRecipient().certificate.get();
    const std::string first =
        harness.write("first.qsig", testdoc::asymmetricLayer(plain, ours, {ours, other.certificate.get()}));
    const std::string last =
        harness.write("last.qsig", testdoc::asymmetricLayer(plain, ours, {other.certificate.get(), ours}));

    harness.runBatch({first, last}, {harness.path("first.txt"), harness.path("last.txt")});

    EXPECT_EQ(harness.read("first.txt"), plain);
    EXPECT_EQ(harness.read("last.txt"), plain);
}

TEST(CertificateStep, ALayerWithoutTheEndOfItsCertificateIsNotEncrypted) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", "-----ID353-3CBC-----@@TUlJQ2FqQ0NBZE9n");
    const std::string output = harness.path("doc.txt");

    harness.runSingle(input, output);

    EXPECT_EQ(harness.ui.messages(),
              (std::vector<ShownMessage>{{"This is not an encrypted file", IconKind::Error, Buttons::Ok}}));
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{{"ERROR", "This is not an encrypted file", pairOf(input, output)}}));
    EXPECT_EQ(harness.ui.keyNotices(), 0);
}

} // namespace

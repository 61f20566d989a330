// Every nesting of the three layer kinds up to three deep, opened end to end in both job modes:
// what the first pass removes decides the completion text, every later layer is announced.
#include "certs/certificate_tools.h"
#include "pipeline/activity_log.h"
#include "pipeline/job_context.h"
#include "pipeline/layer_loop.h"
#include "support/job_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace {

const std::string plain("Plain content\0with a zero byte\r\nand a second line\n", 49);

// What a document is saved as: its log kind, then the text of a single-file job and of a batch.
struct Saved {
    const char* kind;
    const char* single;
    const char* batch;
};

const Saved verified{"VERIFICATION", "Verification complete and File Saved",
                     "Verification complete and File Saved"};
const Saved decrypted{"DECRYPTION", "Decryption complete and File Saved",
                      "Decryption complete and File Saved"};
const Saved decryptedAndVerified{"DECRYPT AND VERIFY", "Decryption/Verification complete and File Saved",
                                 "Decryption/Verification completed and File Saved"};
const Saved decryptedAndVerifiedThenMore{"DECRYPT AND VERIFY",
                                         "Decryption/Verification complete and File Saved",
                                         "Decryption/Verification complete and File saved"};
const Saved processed{"DECRYPT AND VERIFY", "Processed and saved the file", "Processed the file"};
const Saved processedThenMore{"DECRYPT AND VERIFY", "Processed and Saved the file", "Processed the file"};

// Every nesting up to three deep, outermost layer first, with "|" where the first pass ends.
struct NestingCase {
    const char* layers;
    Saved saved;
};

void PrintTo(const NestingCase& c, std::ostream* out) {
    *out << c.layers;
}

const NestingCase nestingCases[] = {
    {"S|", verified},
    {"P|", decrypted},
    {"K|", decrypted},
    {"S|S", verified},
    {"PS|", decryptedAndVerified},
    {"KS|", decryptedAndVerified},
    {"S|P", verified},
    {"P|P", decrypted},
    {"K|P", decrypted},
    {"S|K", verified},
    {"PK|", processed},
    {"K|K", decrypted},
    {"S|SS", verified},
    {"PS|S", decryptedAndVerifiedThenMore},
    {"KS|S", decryptedAndVerifiedThenMore},
    {"S|PS", verified},
    {"P|PS", decrypted},
    {"K|PS", decrypted},
    {"S|KS", verified},
    {"PKS|", processed},
    {"K|KS", decrypted},
    {"S|SP", verified},
    {"PS|P", decryptedAndVerifiedThenMore},
    {"KS|P", decryptedAndVerifiedThenMore},
    {"S|PP", verified},
    {"P|PP", decrypted},
    {"K|PP", decrypted},
    {"S|KP", verified},
    {"PK|P", processedThenMore},
    {"K|KP", decrypted},
    {"S|SK", verified},
    {"PS|K", decryptedAndVerifiedThenMore},
    {"KS|K", decryptedAndVerifiedThenMore},
    {"S|PK", verified},
    {"P|PK", decrypted},
    {"K|PK", decrypted},
    {"S|KK", verified},
    {"PK|K", processedThenMore},
    {"K|KK", decrypted},
};

std::vector<EnvelopeKind> kindsOf(const std::string& layers) {
    std::vector<EnvelopeKind> kinds;
    for (char kind : layers) {
        kinds.push_back(kind == 'S'   ? EnvelopeKind::Pkcs7
                        : kind == 'P' ? EnvelopeKind::Symmetric
                                      : EnvelopeKind::Asymmetric);
    }
    return kinds;
}

std::size_t countOf(const std::string& layers, char kind) {
    return static_cast<std::size_t>(std::count(layers.begin(), layers.end(), kind));
}

class NestingTest : public testing::TestWithParam<std::tuple<NestingCase, JobMode>> {};

TEST_P(NestingTest, RemovesEveryLayerAndReportsWhatTheFirstPassRemoved) {
    const auto& [c, mode] = GetParam();
    const std::string_view split(c.layers);
    const std::size_t firstPassEnd = split.find('|');
    const std::string layers =
        std::string(split.substr(0, firstPassEnd)).append(split.substr(firstPassEnd + 1));
    JobHarness harness;
    if (layers.find('K') != std::string::npos) {
        harness.makeStore();
    }
    const std::string input = harness.write("doc.qsig", wrapLayers(layers, plain));
    const std::string output = harness.path("doc.txt");
    for (const auto& passPhrase : passPhrasesFor(layers)) {
        harness.ui.passPhrase(passPhrase);
    }

    const JobReport report =
        mode == JobMode::SingleFile ? harness.runSingle(input, output) : harness.runBatch({input}, {output});

    const std::string text = mode == JobMode::SingleFile ? c.saved.single : c.saved.batch;
    std::vector<ShownMessage> expected;
    if (mode == JobMode::Batch) {
        expected.push_back({"Now processing file " + input +
                                " You may be asked for a password in case of Decryption operation",
                            IconKind::PadlockKey, Buttons::Ok});
    }
    for (char kind : split.substr(firstPassEnd + 1)) {
        expected.push_back(
            {kind == 'S' ? "Continuing to Verify next Signature" : "Continuing with further Decryption",
             IconKind::Information, Buttons::Ok});
    }
    expected.push_back(mode == JobMode::SingleFile
                           ? ShownMessage{text, IconKind::Success, Buttons::Ok}
                           : ShownMessage{"Processing completed", IconKind::Success, Buttons::Ok});

    EXPECT_EQ(harness.read("doc.txt"), plain);
    EXPECT_EQ(harness.ui.messages(), expected);
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{{c.saved.kind, text, pairOf(input, output)}}));
    EXPECT_EQ(harness.ui.verdicts().size(), countOf(layers, 'S'));
    EXPECT_EQ(static_cast<std::size_t>(harness.ui.passPhrasePrompts()), countOf(layers, 'P'));
    EXPECT_EQ(static_cast<std::size_t>(harness.ui.keyNotices()), countOf(layers, 'K'));
    ASSERT_EQ(report.files.size(), 1u);
    EXPECT_EQ(report.files[0].status, FileStatus::Saved);
    EXPECT_EQ(report.files[0].outcome, text);
    EXPECT_EQ(report.files[0].layersRemoved, kindsOf(layers));
    EXPECT_EQ(harness.ui.waitCursorDepth, 0);
}

std::string nestingName(const testing::TestParamInfo<NestingTest::ParamType>& info) {
    std::string name = std::get<0>(info.param).layers;
    name.erase(name.find('|'), 1);
    return name + (std::get<1>(info.param) == JobMode::SingleFile ? "_single" : "_batch");
}

INSTANTIATE_TEST_SUITE_P(UpToThreeDeep, NestingTest,
                         testing::Combine(testing::ValuesIn(nestingCases),
                                          testing::Values(JobMode::SingleFile, JobMode::Batch)),
                         nestingName);

// A pass that leaves nothing is a failure of its own, worded by job mode and pass. (The report is
// exercised on its own here; a certificate layer shows it reached from a whole job.)
struct EmptyCase {
    const char* name;
    JobMode mode;
    bool firstPass;
    ShownMessage message;
    const char* logText;
    bool crlPathEmptied;
};

class EmptyContentTest : public testing::TestWithParam<EmptyCase> {};

TEST_P(EmptyContentTest, EndsTheJobWithTheWordingOfItsPass) {
    const EmptyCase& c = GetParam();
    JobHarness harness;
    harness.form = FakeJobForm(
        FormValues{"/in.qsig", "/out.txt", RevocationChoice::Check, "/kept.crl", c.mode == JobMode::Batch});
    ActivityLog log(harness.settings.appPaths.logPath(), harness.ui, harness.settings.logClock);
    JobContext job{harness.ui, harness.form, log, c.mode, {"/in.qsig", "/out.txt"}};
    const CertificateTools tools;
    JobKeyStore keyStore(harness.settings.openKeyStore, harness.settings.keyStoreDirectory, harness.ui);
    FileReport report;
    LayerJob layer{job,    tools,      RevocationChoice::Skip, "", keyStore, harness.markerPath(),
                   report, c.firstPass};

    EXPECT_EQ(reportEmptyContent(layer), FileEnd::JobEnded);

    EXPECT_EQ(harness.ui.messages(), std::vector<ShownMessage>{c.message});
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{{"ERROR", c.logText, "/in.qsig -> /out.txt"}}));
    EXPECT_EQ(harness.form.shown.input, "");
    EXPECT_EQ(harness.form.shown.output, "");
    EXPECT_EQ(harness.form.shown.crlPath, c.crlPathEmptied ? "" : "/kept.crl");
    EXPECT_EQ(harness.form.outputEnabled, c.mode == JobMode::Batch);
    EXPECT_EQ(report.status, FileStatus::Failed);
}

const EmptyCase emptyCases[] = {
    {"SingleFirstPass",
     JobMode::SingleFile,
     true,
     {"File does not contain data", IconKind::Warning, Buttons::Ok},
     "Content after decryption/verification is empty",
     false},
    {"SingleFurtherPass",
     JobMode::SingleFile,
     false,
     {"File does not have any data", IconKind::Error, Buttons::Ok},
     "Processed file does not contain data",
     true},
    {"BatchFirstPass",
     JobMode::Batch,
     true,
     {"File does not contain data", IconKind::Warning, Buttons::Ok},
     "Verified file does not have any data",
     false},
    {"BatchFurtherPass",
     JobMode::Batch,
     false,
     {"File does not have any data", IconKind::Error, Buttons::Ok},
     "Verified file does not have any data",
     false},
};

INSTANTIATE_TEST_SUITE_P(ByModeAndPass, EmptyContentTest, testing::ValuesIn(emptyCases),
                         [](const testing::TestParamInfo<EmptyCase>& info) {
                             return std::string(info.param.name);
                         });

// An envelope with empty content is valid: never a memory or format message, and nothing saved.
TEST(LayerLoop, ACertificateLayerWithEmptyContentEndsAsEmptyContent) {
    JobHarness harness;
    harness.makeStore();
    const std::string input = harness.write("doc.qsig", wrapLayers("K", ""));
    const std::string output = harness.path("doc.txt");

    harness.runSingle(input, output);

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"File does not contain data", IconKind::Warning, Buttons::Ok}));
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{
                  {"ERROR", "Content after decryption/verification is empty", pairOf(input, output)}}));
    EXPECT_FALSE(harness.exists("doc.txt"));
}

TEST(LayerLoop, BatchCancelAtAnInnerPassPhraseSavesThatLayerWithTheFirstPassTally) {
    JobHarness harness;
    const std::string inner = wrapLayers("P", plain);
    const std::string input = harness.write("doc.qsig", testdoc::signedLayer(inner, testSigner()));
    const std::string output = harness.path("doc.txt");
    harness.ui.passPhrase(std::nullopt);

    const JobReport report = harness.runBatch({input}, {output});

    EXPECT_EQ(harness.read("doc.txt"), inner);
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{{"VERIFICATION", "Verification complete and File Saved",
                                                      pairOf(input, output)}}));
    EXPECT_EQ(harness.ui.messageTexts().back(), "Processing completed");
    EXPECT_EQ(report.files[0].status, FileStatus::Saved);
}

TEST(LayerLoop, ContentThatLooksSignedButHasNoEndMarkerIsRefused) {
    JobHarness harness;
    const std::string input =
        harness.write("doc.qsig", wrapLayers("S", "text -----BEGIN PKCS7----- more text"));

    harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"Invalid PKCS7 format", IconKind::Error, Buttons::Ok}));
    EXPECT_FALSE(harness.exists("doc.txt"));
}

// An outer armour that cannot be decoded as it is read is read again as text and refused as ever.
struct BrokenArmourCase {
    const char* name;
    std::string (*document)();
    const char* message;
};

class BrokenOuterArmourTest : public testing::TestWithParam<BrokenArmourCase> {};

TEST_P(BrokenOuterArmourTest, IsRefusedWithTheMessageOfItsText) {
    JobHarness harness;
    harness.makeStore();
    const std::string input = harness.write("doc.qsig", GetParam().document());

    harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(harness.ui.messages().back(), (ShownMessage{GetParam().message, IconKind::Error, Buttons::Ok}));
    EXPECT_FALSE(harness.exists("doc.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, BrokenOuterArmourTest,
    testing::Values(BrokenArmourCase{"NoEndMarker",
                                     [] { return std::string("-----BEGIN PKCS7-----TWFu\r\n"); },
                                     "Invalid PKCS7 format"},
                    BrokenArmourCase{"BadByte", [] { return wrapLayers("S", plain).replace(30, 1, "*"); },
                                     "Error in decoding. Format is invalid"},
                    BrokenArmourCase{"CertificateLayerWithABadByte",
                                     [] {
                                         std::string layer = wrapLayers("K", plain);
                                         return layer.replace(layer.find("-----BEGIN PKCS7-----") + 30, 1,
                                                              "*");
                                     },
                                     "Error in decoding. Format is invalid"}),
    [](const testing::TestParamInfo<BrokenArmourCase>& info) { return info.param.name; });

} // namespace

// Every nesting of the three layer kinds up to three deep, opened end to end in both job modes:
// what the first pass removes decides the completion text, every later layer is announced.
#include "certs/certificate_tools.h"
#include "pipeline/activity_log.h"
#include "pipeline/job_context.h"
#include "pipeline/layer_loop.h"
#include "support/job_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

namespace {

const std::string plain("Plain content\0with a zero byte\r\nand a second line\n", 49);

std::vector<std::string> allNestings() {
    std::vector<std::string> nestings;
    std::vector<std::string> shorter = {""};
    for (int depth = 1; depth <= 3; ++depth) {
        std::vector<std::string> longer;
        for (const std::string& inner : shorter) {
            for (char kind : {'S', 'P', 'K'}) {
                longer.push_back(kind + inner);
            }
        }
        nestings.insert(nestings.end(), longer.begin(), longer.end());
        shorter = longer;
    }
    return nestings;
}

// The first pass takes a pass-phrase, then a certificate, then a signed layer, each at most once,
// from the outside in; it stops at the first layer out of that order.
std::size_t firstPassLength(const std::string& layers) {
    std::size_t taken = 0;
    for (char kind : {'P', 'K', 'S'}) {
        if (taken < layers.size() && layers[taken] == kind) {
            ++taken;
        }
    }
    return taken;
}

int tallyOf(const std::string& firstPass) {
    int tally = 0;
    for (char kind : firstPass) {
        tally += kind == 'S' ? 2 : 4;
    }
    return tally;
}

struct Completion {
    std::string kind;
    std::string text;
};

// Known answers: tally, then single-file first pass / further passes, batch first / further.
Completion completionFor(int tally, JobMode mode, bool further) {
    static const std::map<int, std::pair<std::string, std::array<std::string, 4>>> table = {
        {6,
         {"DECRYPT AND VERIFY",
          {"Decryption/Verification complete and File Saved",
           "Decryption/Verification complete and File Saved",
           "Decryption/Verification completed and File Saved",
           "Decryption/Verification complete and File saved"}}},
        {4,
         {"DECRYPTION",
          {"Decryption complete and File Saved", "Decryption complete and File Saved",
           "Decryption complete and File Saved", "Decryption complete and File Saved"}}},
        {2,
         {"VERIFICATION",
          {"Verification complete and File Saved", "Verification complete and File Saved",
           "Verification complete and File Saved", "Verification complete and File Saved"}}},
        {0,
         {"DECRYPT AND VERIFY",
          {"Processed and saved the file", "Processed and Saved the file", "Processed the file",
           "Processed the file"}}},
    };
    const auto row = table.count(tally) != 0 ? table.at(tally) : table.at(0);
    const int column = (mode == JobMode::Batch ? 2 : 0) + (further ? 1 : 0);
    return {row.first, row.second[static_cast<std::size_t>(column)]};
}

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

class NestingTest : public testing::TestWithParam<std::tuple<std::string, JobMode>> {};

TEST_P(NestingTest, RemovesEveryLayerAndReportsTheFirstPassTally) {
    const auto& [layers, mode] = GetParam();
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

    const std::size_t taken = firstPassLength(layers);
    const bool further = taken < layers.size();
    const Completion completion = completionFor(tallyOf(layers.substr(0, taken)), mode, further);
    std::vector<ShownMessage> expected;
    if (mode == JobMode::Batch) {
        expected.push_back({"Now processing file " + input +
                                " You may be asked for a password in case of Decryption operation",
                            IconKind::PadlockKey, Buttons::Ok});
    }
    for (char kind : layers.substr(taken)) {
        expected.push_back(
            {kind == 'S' ? "Continuing to Verify next Signature" : "Continuing with further Decryption",
             IconKind::Information, Buttons::Ok});
    }
    expected.push_back(mode == JobMode::SingleFile
                           ? ShownMessage{completion.text, IconKind::Success, Buttons::Ok}
                           : ShownMessage{"Processing completed", IconKind::Success, Buttons::Ok});

    EXPECT_EQ(harness.read("doc.txt"), plain);
    EXPECT_EQ(harness.ui.messages(), expected);
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{{completion.kind, completion.text, pairOf(input, output)}}));
    EXPECT_EQ(harness.ui.verdicts().size(), countOf(layers, 'S'));
    EXPECT_EQ(static_cast<std::size_t>(harness.ui.passPhrasePrompts()), countOf(layers, 'P'));
    EXPECT_EQ(static_cast<std::size_t>(harness.ui.keyNotices()), countOf(layers, 'K'));
    ASSERT_EQ(report.files.size(), 1u);
    EXPECT_EQ(report.files[0].status, FileStatus::Saved);
    EXPECT_EQ(report.files[0].outcome, completion.text);
    EXPECT_EQ(report.files[0].layersRemoved, kindsOf(layers));
    EXPECT_EQ(harness.ui.waitCursorDepth, 0);
}

std::string nestingName(const testing::TestParamInfo<NestingTest::ParamType>& info) {
    return std::get<0>(info.param) + (std::get<1>(info.param) == JobMode::SingleFile ? "_single" : "_batch");
}

INSTANTIATE_TEST_SUITE_P(UpToThreeDeep, NestingTest,
                         testing::Combine(testing::ValuesIn(allNestings()),
                                          testing::Values(JobMode::SingleFile, JobMode::Batch)),
                         nestingName);

// A pass that leaves nothing is a failure of its own, worded by job mode and pass. (Every layer
// this library opens refuses to yield empty content, so the report is exercised on its own.)
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

// The pass-phrase prompt in every job mode and pass: how many tries, and what Cancel, a blank
// answer and a wrong answer do.
#include "pipeline/job_context.h"
#include "support/job_harness.h"

#include <gtest/gtest.h>

namespace {

const std::string plain = "the plain text";
const std::string right = "pass phrase 1";

struct PromptCase {
    const char* name;
    const char* layers; // "P": the pass-phrase layer is outermost; "SP": inside a signed layer
    JobMode mode;
    std::vector<std::optional<std::string>> answers;
    std::vector<ShownMessage> messages;                   // batch notices left out
    std::vector<std::pair<std::string, std::string>> log; // kind, message
    FileStatus status;
    int prompts;
    std::optional<std::string> checkField = {}; // written over the outer layer's own
};

const ShownMessage tryAgain{"Wrong password. Please try again! You will be given only 3 attempts",
                            IconKind::Warning, Buttons::Ok};
const ShownMessage further{"Continuing with further Decryption", IconKind::Information, Buttons::Ok};
const ShownMessage mismatch{"Passphrase mismatch!", IconKind::Error, Buttons::Ok};
const ShownMessage decrypted{"Decryption complete and File Saved", IconKind::Success, Buttons::Ok};
const ShownMessage verified{"Verification complete and File Saved", IconKind::Success, Buttons::Ok};

const PromptCase promptCases[] = {
    {"SingleRightAtOnce",
     "P",
     JobMode::SingleFile,
     {right},
     {decrypted},
     {{"DECRYPTION", "Decryption complete and File Saved"}},
     FileStatus::Saved,
     1},
    {"SingleTwoWrongThenRight",
     "P",
     JobMode::SingleFile,
     {"Pass phrase 1", " pass phrase 1", right},
     {tryAgain, tryAgain, decrypted},
     {{"DECRYPTION", "Decryption complete and File Saved"}},
     FileStatus::Saved,
     3},
    {"SingleThreeWrong",
     "P",
     JobMode::SingleFile,
     {"a", "b", "c"},
     {tryAgain, tryAgain, {"Wrong password. All attempts exhausted", IconKind::Error, Buttons::Ok}},
     {{"ERROR", "Wrong password. All attempts exhausted"}},
     FileStatus::Failed,
     3},
    {"SingleCancel", "P", JobMode::SingleFile, {std::nullopt}, {}, {}, FileStatus::Cancelled, 1},
    {"SingleWrongThenCancel",
     "P",
     JobMode::SingleFile,
     {"a", std::nullopt},
     {tryAgain},
     {},
     FileStatus::Cancelled,
     2},
    {"SingleBlank",
     "P",
     JobMode::SingleFile,
     {""},
     {},
     {{"ERROR", "Blank password given to decrypt"}},
     FileStatus::Failed,
     1},
    // "string" is an ordinary (wrong) answer, not a cancel.
    {"SingleTheWordString",
     "P",
     JobMode::SingleFile,
     {"string", right},
     {tryAgain, decrypted},
     {{"DECRYPTION", "Decryption complete and File Saved"}},
     FileStatus::Saved,
     2},
    {"SingleFurtherWrong",
     "SP",
     JobMode::SingleFile,
     {"Pass phrase 1"},
     {further, mismatch},
     {{"ERROR", "Passphrase mismatch!"}},
     FileStatus::Failed,
     1},
    {"SingleFurtherCancel",
     "SP",
     JobMode::SingleFile,
     {std::nullopt},
     {further},
     {},
     FileStatus::Cancelled,
     1},
    {"SingleFurtherBlank",
     "SP",
     JobMode::SingleFile,
     {""},
     {further, {"Blank password. Cannot continue", IconKind::Warning, Buttons::Ok}},
     {{"ERROR", "Blank password given to decrypt"}},
     FileStatus::Failed,
     1},
    {"SingleFurtherRight",
     "SP",
     JobMode::SingleFile,
     {right},
     {further, verified},
     {{"VERIFICATION", "Verification complete and File Saved"}},
     FileStatus::Saved,
     1},
    {"BatchWrong",
     "P",
     JobMode::Batch,
     {"Pass phrase 1"},
     {mismatch},
     {{"ERROR", "Passphrase mismatch!"}},
     FileStatus::Failed,
     1},
    // The first pass of a batch has no rule for a blank answer: it is checked, and wrong.
    {"BatchBlank",
     "P",
     JobMode::Batch,
     {""},
     {mismatch},
     {{"ERROR", "Passphrase mismatch!"}},
     FileStatus::Failed,
     1},
    // The check values are compared whole: neither a prefix nor an empty one opens a layer.
    {"BatchCheckValueThatIsAPrefixOfTheLayers",
     "P",
     JobMode::Batch,
     {"wrong"},
     {mismatch},
     {{"ERROR", "Passphrase mismatch!"}},
     FileStatus::Failed,
     1,
     testdoc::passPhraseCheckValue("wrong") + "QUJD"},
    {"BatchEmptyCheckValueAgainstTheLayers",
     "P",
     JobMode::Batch,
     {testdoc::passPhraseWithEmptyCheckValue()},
     {mismatch},
     {{"ERROR", "Passphrase mismatch!"}},
     FileStatus::Failed,
     1},
    {"BatchFurtherWrong",
     "SP",
     JobMode::Batch,
     {"Pass phrase 1"},
     {further, mismatch},
     {{"ERROR", "Passphrase mismatch!"}},
     FileStatus::Failed,
     1},
    {"BatchFurtherBlank",
     "SP",
     JobMode::Batch,
     {""},
     {further},
     {{"ERROR", "Password to decrypt is blank"}},
     FileStatus::Failed,
     1},
};

class PassPhrasePromptTest : public testing::TestWithParam<PromptCase> {};

TEST_P(PassPhrasePromptTest, FollowsTheRulesOfItsModeAndPass) {
    const PromptCase& c = GetParam();
    JobHarness harness;
    std::string document = wrapLayers(c.layers, plain);
    if (c.checkField) {
        const std::size_t start = document.find('|') + 1;
        document.replace(start, document.find('|', start) - start, *c.checkField);
    }
    const std::string input = harness.write("doc.qsig", document);
    const std::string output = harness.path("doc.txt");
    for (const auto& answer : c.answers) {
        harness.ui.passPhrase(answer);
    }

    const JobReport report = c.mode == JobMode::SingleFile ? harness.runSingle(input, output)
                                                           : harness.runBatch({input}, {output});

    std::vector<ShownMessage> messages;
    for (const ShownMessage& message : harness.ui.messages()) {
        if (message.icon != IconKind::PadlockKey && message.text != "Processing completed") {
            messages.push_back(message);
        }
    }
    EXPECT_EQ(messages, c.messages);
    std::vector<LogRecord> log;
    for (const auto& [kind, message] : c.log) {
        log.push_back({kind, message, pairOf(input, output)});
    }
    EXPECT_EQ(harness.log(), log);
    EXPECT_EQ(harness.ui.passPhrasePrompts(), c.prompts);
    EXPECT_EQ(report.files.at(0).status, c.status);
    EXPECT_EQ(harness.exists("doc.txt"), c.status == FileStatus::Saved);
    if (c.status == FileStatus::Saved) {
        EXPECT_EQ(harness.read("doc.txt"), plain);
    }
    // However the file ended, the input and output boxes are empty afterwards.
    EXPECT_EQ(harness.form.stored.input, "");
    EXPECT_EQ(harness.form.stored.output, "");
}

INSTANTIATE_TEST_SUITE_P(ByModeAndPass, PassPhrasePromptTest, testing::ValuesIn(promptCases),
                         [](const testing::TestParamInfo<PromptCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(PassPhrasePrompt, TheWordStringOpensALayerMadeWithIt) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", testdoc::symmetricLayer(plain, "string"));
    harness.ui.passPhrase("string");

    const JobReport report = harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(report.files.at(0).status, FileStatus::Saved);
    EXPECT_EQ(harness.read("doc.txt"), plain);
}

TEST(PassPhrasePrompt, BatchCancelAtTheFirstPromptSkipsOnlyThatFile) {
    JobHarness harness;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    for (const char* name : {"a", "b", "c"}) {
        inputs.push_back(harness.write(std::string(name) + ".qsig", wrapLayers("P", plain + name)));
        outputs.push_back(harness.path(std::string(name) + ".txt"));
    }
    harness.ui.passPhrase(right).passPhrase(std::nullopt).passPhrase(right);

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.read("a.txt"), plain + "a");
    EXPECT_FALSE(harness.exists("b.txt"));
    EXPECT_EQ(harness.read("c.txt"), plain + "c");
    EXPECT_EQ(harness.ui.messageTexts().back(), "Processing completed");
    EXPECT_EQ(harness.log().size(), 2u);
    EXPECT_EQ(report.files.at(1).status, FileStatus::Cancelled);
}

TEST(PassPhrasePrompt, EveryLayerAsksAgain) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("PP", plain));
    harness.ui.passPhrase(layerPassPhrase(1)).passPhrase(layerPassPhrase(2));

    harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(harness.ui.passPhrasePrompts(), 2);
    EXPECT_EQ(harness.read("doc.txt"), plain);
}

} // namespace

// The Verify/Decrypt job from the button press to the form reset: reading, classifying, the
// single-file and batch roads, the error handlers by record type, and the log they leave.
#include "e2eCrypto/error_records.h"
#include "pipeline/job_context.h"
#include "platform/work_progress.h"
#include "support/job_harness.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace {

const std::string plain = "plain text\r\n";
const std::string tampered =
    "This file is tampered [OR] Not of a valid signed/encrypted format [OR] Corrupted.";

std::string processingNotice(const std::string& input) {
    return "Now processing file " + input +
           " You may be asked for a password in case of Decryption operation";
}

TEST(JobDriver, TrimsTheThreeTextsAndShowsThemBeforeAnythingElse) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("S", plain));
    const std::string output = harness.path("doc.txt");
    FormValues values;
    values.input = " \t" + input + "\r\n\v\f";
    values.output = "\n" + output + " ";
    values.crlPath = "  /crl/list.crl\t";

    const JobReport report = harness.run(values);

    const std::vector<std::string> start(harness.form.effects.begin(), harness.form.effects.begin() + 5);
    EXPECT_EQ(start, (std::vector<std::string>{"readValues()", "setBoxText(Input, \"" + input + "\")",
                                               "setBoxText(Output, \"" + output + "\")",
                                               "setBoxText(CrlPath, \"/crl/list.crl\")", "showValues()"}));
    EXPECT_EQ(harness.read("doc.txt"), plain);
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{{"VERIFICATION", "Verification complete and File Saved",
                                                      pairOf(input, output)}}));
    EXPECT_EQ(report.files.at(0).input, input);
}

TEST(JobDriver, RefusedPathsEndTheJobBeforeAnyFileAndLogNothing) {
    JobHarness harness;
    FormValues values;
    values.output = harness.path("doc.txt");

    const JobReport report = harness.run(values);

    EXPECT_FALSE(report.pathsValid);
    EXPECT_TRUE(report.files.empty());
    EXPECT_EQ(harness.ui.messageTexts(),
              std::vector<std::string>{"Invalid input path! Please provide complete path"});
    EXPECT_TRUE(harness.log().empty());
}

TEST(JobDriver, SingleFileSuccessEmptiesTheBoxesAndEnablesTheOutput) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("S", plain));
    FormValues values;
    values.input = input;
    values.output = harness.path("doc.txt");
    values.crlPath = "/ignored/with/choice/no";

    harness.run(values);

    EXPECT_EQ(harness.form.shown.input, "");
    EXPECT_EQ(harness.form.shown.output, "");
    EXPECT_EQ(harness.form.shown.crlPath, "");
    EXPECT_TRUE(harness.form.outputEnabled);
    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"Verification complete and File Saved", IconKind::Success, Buttons::Ok}));
}

TEST(JobDriver, SingleFileEmptyInputIsUnreadableAndLeavesNoTrace) {
    JobHarness harness;
    const std::string input = harness.write("empty.qsig", "");

    const JobReport report = harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(harness.ui.messages(),
              (std::vector<ShownMessage>{{"Could not read input file", IconKind::Warning, Buttons::Ok}}));
    EXPECT_TRUE(harness.log().empty());
    EXPECT_EQ(harness.form.shown.input, input) << "a read failure changes no box";
    EXPECT_EQ(report.files.at(0).status, FileStatus::Failed);
}

TEST(JobDriver, SingleFilePlainTextIsRefusedAndTheCrlPathKept) {
    JobHarness harness;
    const std::string input = harness.write("plain.qsig", plain);
    const std::string output = harness.path("doc.txt");
    FormValues values;
    values.input = input;
    values.output = output;
    values.crlPath = "/kept.crl";

    harness.run(values);

    EXPECT_EQ(harness.ui.messages(),
              (std::vector<ShownMessage>{{tampered + " Cannot proceed with Verify/Decrypt Operation",
                                          IconKind::Error, Buttons::Ok}}));
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{{"ERROR", "Invalid Signature/Encryption format of the input file",
                                       pairOf(input, output)}}));
    EXPECT_EQ(harness.form.shown.input, "");
    EXPECT_EQ(harness.form.shown.output, "");
    EXPECT_EQ(harness.form.shown.crlPath, "/kept.crl");
}

TEST(JobDriver, SingleFileErrorRecordEmptiesAllThreeBoxes) {
    JobHarness harness;
    testdoc::SignOptions detached;
    detached.detached = true;
    FormValues values;
    values.input = harness.write("doc.qsig", testdoc::signedLayer(plain, testSigner(), detached));
    values.output = harness.path("doc.txt");
    values.crlPath = "/emptied.crl";

    harness.run(values);

    EXPECT_EQ(harness.ui.messages(),
              (std::vector<ShownMessage>{{"Invalid Signature Format", IconKind::Error, Buttons::Ok}}));
    EXPECT_EQ(harness.form.shown.crlPath, "");
    EXPECT_EQ(harness.form.shown.input, "");
    EXPECT_FALSE(harness.form.outputEnabled);
}

TEST(JobDriver, SingleFileDeclinedOverwriteEndsSilentlyAndKeepsTheOldFile) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("S", plain));
    const std::string output = harness.write("doc.txt", "old contents");
    harness.ui.answer(false);

    const JobReport report = harness.runSingle(input, output);

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{output + " file already exists. Do you want to overwrite it?", IconKind::Warning,
                            Buttons::YesNo}));
    EXPECT_EQ(harness.read("doc.txt"), "old contents");
    EXPECT_TRUE(harness.log().empty());
    EXPECT_EQ(harness.form.stored.input, "");
    EXPECT_EQ(harness.form.stored.output, "");
    EXPECT_EQ(report.files.at(0).status, FileStatus::Declined);
}

TEST(JobDriver, SingleFileOverwriteYesReplacesTheWholeFile) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("S", plain));
    const std::string output = harness.write("doc.txt", std::string(1000, 'x'));
    harness.ui.answer(true);

    harness.runSingle(input, output);

    EXPECT_EQ(harness.read("doc.txt"), plain);
}

// Every Yes given: the document under its own name, a link to it and a second name of it are all
// refused before it is read, in a batch as alone.
TEST(JobDriver, AnOutputThatIsTheInputUnderAnyNameIsRefusedBeforeAnyWork) {
    JobHarness harness;
    // Kept: a document made again carries a later signing time.
    const std::string document = wrapLayers("S", plain);
    const std::string input = harness.write("doc.qsig", document);
    const std::string other = harness.write("other.qsig", document);
    std::filesystem::create_hard_link(input, harness.path("second"));
    std::vector<std::string> outputs = {input, harness.path("second")};
    // Wine's users may have no symbolic links; every POSIX system has them.
    std::error_code noSymbolicLinks;
    std::filesystem::create_symlink(input, harness.path("link"), noSymbolicLinks);
    if (!noSymbolicLinks) {
        outputs.push_back(harness.path("link"));
    }
    harness.ui.defaultAnswer = true;

    for (const std::string& output : outputs) {
        const std::string refusal =
            "Output file " + output + " is the input file: the document would be replaced by its content";
        EXPECT_FALSE(harness.runSingle(input, output).pathsValid) << output;
        EXPECT_EQ(harness.ui.messageTexts().back(), refusal);
        EXPECT_FALSE(harness.runBatch({other, input}, {harness.path("other.txt"), output}).pathsValid);
        EXPECT_EQ(harness.ui.messageTexts().back(), refusal);
    }
    EXPECT_EQ(harness.read("doc.qsig"), document);
    EXPECT_FALSE(harness.exists("other.txt")) << "the batch did no work before the refusal";
    EXPECT_TRUE(harness.log().empty());
}

TEST(JobDriver, SingleFileReadOnlyOutputFailsToSaveAndKeepsItsContents) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("S", plain));
    const std::string output = harness.write("doc.txt", "read-only contents");
    ::chmod(output.c_str(), 0444);
    harness.ui.answer(true);

    const JobReport report = harness.runSingle(input, output);

    const std::vector<ShownMessage> messages = harness.ui.messages();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages[messages.size() - 2].buttons, Buttons::YesNo);
    EXPECT_EQ(messages.back(),
              (ShownMessage{"Could not save file. Check file properties of the file being overwritten.",
                            IconKind::Error, Buttons::Ok}));
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{{"ERROR", "Failed to save to output file", pairOf(input, output)}}));
    EXPECT_EQ(harness.read("doc.txt"), "read-only contents");
    EXPECT_EQ(report.files.at(0).status, FileStatus::Failed);
}

TEST(JobDriver, SignersAreCheckedAgainstTheCrlWhenTheChoiceIsYes) {
    JobHarness harness;
    const std::string input = harness.write("doc.qsig", wrapLayers("S", plain));
    FormValues values;
    values.input = input;
    values.output = harness.path("doc.txt");
    values.crlChoice = RevocationChoice::Check;
    testdoc::CrlOptions revokedSigner;
    revokedSigner.revokedSerials = {1};
    values.crlPath = harness.write("list.crl", testdoc::makeCrl(testSigner(), revokedSigner));

    harness.run(values);

    ASSERT_EQ(harness.ui.verdicts().size(), 1u);
    EXPECT_EQ(harness.ui.verdicts()[0].revocationText, "Signer Certificate is REVOKED");
    EXPECT_EQ(harness.read("doc.txt"), plain) << "a verdict never stops the file";
}

TEST(JobDriver, ACertificateForgedInTheIssuersNameCannotSilenceTheCrl) {
    using namespace testdoc;
    const Identity authority =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 2, .isCa = true});
    const Identity forged =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 3, .isCa = true});
    const Identity signer = makeIdentity({.serial = 9}, &authority);
    JobHarness harness;
    FormValues values;
    values.input = harness.write(
        "doc.qsig", signedLayer(plain, signer, {.extraCertificates = {forged.certificate.get()}}));
    values.output = harness.path("doc.txt");
    values.crlChoice = RevocationChoice::Check;
    values.crlPath = harness.write("list.crl", makeCrl(authority, {.revokedSerials = {9}}));

    harness.run(values);

    ASSERT_EQ(harness.ui.verdicts().size(), 1u);
    EXPECT_EQ(harness.ui.verdicts()[0].header, "FAILED");
    EXPECT_EQ(harness.ui.verdicts()[0].revocationText, "Signer Certificate is REVOKED");
}

TEST(JobDriver, ARevokedKeyCertifiedAgainByALookAlikeAuthorityIsNeverCleared) {
    using namespace testdoc;
    const Identity authority =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 2, .isCa = true});
    const Identity lookAlike =
        makeIdentity({.subject = "/O=Acme Ltd/CN=Acme CA", .serial = 100, .keyIndex = 3, .isCa = true});
    // Same key as the revoked certificate 9, a serial number the genuine list does not hold.
    const Identity recertified = makeIdentity({.serial = 10}, &lookAlike);
    JobHarness harness;
    FormValues values;
    values.input = harness.write("doc.qsig", signedLayer(plain, recertified));
    values.output = harness.path("doc.txt");
    values.crlChoice = RevocationChoice::Check;
    values.crlPath = harness.write("list.crl", makeCrl(authority, {.revokedSerials = {9}}));

    harness.run(values);

    ASSERT_EQ(harness.ui.verdicts().size(), 1u);
    EXPECT_EQ(harness.ui.verdicts()[0].revocationText, "Certificate revocation status unknown");
}

TEST(JobDriver, ASignatureTheLibraryCannotCheckIsAnErrorAndNothingIsSaved) {
    JobHarness harness;
    const std::string input = harness.write(
        "doc.qsig", testdoc::signedLayer(plain, testdoc::makeIdentity({.serial = 5, .ed25519 = true})));

    const JobReport report = harness.runSingle(input, harness.path("doc.txt"));

    EXPECT_EQ(harness.ui.messages(),
              (std::vector<ShownMessage>{
                  {"This Digest Type is not supported in this version.", IconKind::Error, Buttons::Ok}}));
    EXPECT_TRUE(harness.ui.verdicts().empty());
    EXPECT_FALSE(harness.exists("doc.txt"));
    EXPECT_EQ(report.files.at(0).status, FileStatus::Failed);
}

// A batch of three around one odd file in the middle.
class BatchTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a", "b", "c"}) {
            inputs.push_back(harness.path(std::string(name) + ".qsig"));
            outputs.push_back(harness.path(std::string(name) + ".txt"));
            harness.write(std::string(name) + ".qsig", wrapLayers("S", plain + name));
        }
    }

    LogRecord completed(std::size_t i) const {
        return {"VERIFICATION", "Verification complete and File Saved", pairOf(inputs[i], outputs[i])};
    }

    JobHarness harness;
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
};

TEST_F(BatchTest, EveryFileCompletesWithOneNoticeEachAndOneClosingMessage) {
    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.ui.messages(), (std::vector<ShownMessage>{
                                         {processingNotice(inputs[0]), IconKind::PadlockKey, Buttons::Ok},
                                         {processingNotice(inputs[1]), IconKind::PadlockKey, Buttons::Ok},
                                         {processingNotice(inputs[2]), IconKind::PadlockKey, Buttons::Ok},
                                         {"Processing completed", IconKind::Success, Buttons::Ok},
                                     }));
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{completed(0), completed(1), completed(2)}));
    EXPECT_EQ(harness.read("c.txt"), plain + "c");
    EXPECT_TRUE(harness.form.outputEnabled);
    EXPECT_EQ(harness.form.shown.input, "");
    ASSERT_EQ(report.files.size(), 3u);
    EXPECT_EQ(report.files[2].status, FileStatus::Saved);
}

TEST_F(BatchTest, AnUnreadableFileEndsTheBatchWithoutTouchingTheBoxes) {
    ::unlink(inputs[1].c_str());

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{inputs[1] + " file could not be read", IconKind::Warning, Buttons::Ok}));
    EXPECT_EQ(harness.log(), std::vector<LogRecord>{completed(0)});
    EXPECT_EQ(harness.read("a.txt"), plain + "a");
    EXPECT_FALSE(harness.exists("c.txt"));
    EXPECT_NE(harness.form.shown.input, "");
    EXPECT_EQ(report.files[2].status, FileStatus::NotProcessed);
}

TEST_F(BatchTest, AnUnrecognisedFileAnsweredYesIsSkipped) {
    harness.write("b.qsig", plain);
    harness.ui.answer(true);

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.ui.messages()[2],
              (ShownMessage{inputs[1] + ". " + tampered + " Do you want to continue with the next file?",
                            IconKind::Warning, Buttons::YesNo}));
    EXPECT_EQ(harness.ui.messageTexts().back(), "Processing completed");
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{completed(0), completed(2)}));
    EXPECT_EQ(report.files[1].status, FileStatus::Skipped);
}

TEST_F(BatchTest, AnUnrecognisedFileAnsweredNoEndsTheBatch) {
    harness.write("b.qsig", plain);
    harness.ui.answer(false);

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.ui.messages().back().buttons, Buttons::YesNo);
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{completed(0),
                                      {"ERROR", "Bad signature/encryption format of input file",
                                       pairOf(inputs[1], outputs[1])}}));
    EXPECT_FALSE(harness.exists("c.txt"));
    EXPECT_TRUE(harness.form.outputEnabled);
    EXPECT_EQ(harness.form.shown.crlPath, "");
    EXPECT_EQ(report.files[1].status, FileStatus::Failed);
}

TEST_F(BatchTest, ADeclinedOverwriteGoesOnWithTheNextFile) {
    harness.write("b.txt", "old b");
    harness.ui.answer(false);

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.read("b.txt"), "old b");
    EXPECT_EQ(harness.read("c.txt"), plain + "c");
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{completed(0), completed(2)}));
    EXPECT_EQ(harness.ui.messageTexts().back(), "Processing completed");
    EXPECT_EQ(report.files[1].status, FileStatus::Declined);
}

TEST_F(BatchTest, AnErrorRecordEndsTheBatchAfterItsMessage) {
    testdoc::SignOptions detached;
    detached.detached = true;
    harness.write("b.qsig", testdoc::signedLayer(plain, testSigner(), detached));

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"Invalid Signature Format", IconKind::Error, Buttons::Ok}));
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{completed(0),
                                      {"ERROR", "Invalid Signature Format", pairOf(inputs[1], outputs[1])}}));
    EXPECT_FALSE(harness.exists("b.txt"));
    EXPECT_FALSE(harness.exists("c.txt"));
    EXPECT_TRUE(harness.form.outputEnabled);
    EXPECT_EQ(harness.form.stored.input, "");
    EXPECT_EQ(report.files[1].outcome, "Invalid Signature Format");
}

TEST_F(BatchTest, AStopEndsTheBatchWithTheOldOutputWholeAndNothingMoreSaved) {
    harness.write("b.txt", "old b");
    harness.ui.answer(true);
    WorkProgress progress;
    // Asked for while the overwrite question waits: the save that follows never starts.
    harness.ui.onMessage = [&](const std::string& text) {
        if (text.find("already exists") != std::string::npos) {
            progress.requestStop();
        }
    };

    const JobReport report = harness.runBatch(inputs, outputs);

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"Processing cancelled", IconKind::Information, Buttons::Ok}));
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{completed(0),
                                      {"ERROR", "Processing cancelled", pairOf(inputs[1], outputs[1])}}));
    EXPECT_EQ(harness.read("b.txt"), "old b");
    EXPECT_FALSE(harness.exists("c.txt"));
    EXPECT_EQ(report.files[1].status, FileStatus::Cancelled);
    EXPECT_EQ(report.files[2].status, FileStatus::NotProcessed);
}

// errorDef::Fatal ends the process; the log record is written before the message in a single-file
// job and after it in a batch.
class FatalTest : public testing::TestWithParam<JobMode> {};

TEST_P(FatalTest, LogsShowsAndTerminates) {
    JobHarness harness;
    harness.settings.openKeyStore = [](const std::string&, StorePasswordPrompt) -> std::unique_ptr<KeyStore> {
        throw errorDef::Fatal("Low in memory");
    };
    std::size_t eventsWhenLogged = 0;
    const auto clock = harness.settings.logClock;
    harness.settings.logClock = [&] {
        eventsWhenLogged = harness.ui.events.size();
        return clock();
    };
    const std::string input = harness.write("doc.qsig", wrapLayers("K", plain));
    const std::string output = harness.path("doc.txt");

    EXPECT_THROW(GetParam() == JobMode::SingleFile ? harness.runSingle(input, output)
                                                   : harness.runBatch({input}, {output}),
                 TerminatedForTest);

    EXPECT_EQ(harness.ui.messages().back(), (ShownMessage{"Low in memory", IconKind::RedAlert, Buttons::Ok}));
    EXPECT_EQ(harness.ui.terminatedWith(), 1);
    EXPECT_EQ(harness.log(), (std::vector<LogRecord>{{"ERROR", "Low in memory", pairOf(input, output)}}));
    const auto kinds = harness.ui.kinds();
    const std::size_t messageAt = kinds.size() - 2;
    ASSERT_EQ(kinds[messageAt], UiEvent::Kind::Message);
    EXPECT_EQ(eventsWhenLogged, GetParam() == JobMode::SingleFile ? messageAt : messageAt + 1);
}

TEST(OutOfMemory, EndsTheFileWithAMessageInsteadOfEndingTheProgram) {
    JobHarness harness;
    harness.settings.openKeyStore = [](const std::string&, StorePasswordPrompt) -> std::unique_ptr<KeyStore> {
        throw std::bad_alloc();
    };
    const std::string input = harness.write("doc.qsig", wrapLayers("K", plain));
    const std::string output = harness.path("doc.txt");

    harness.runSingle(input, output);

    EXPECT_EQ(harness.ui.messages().back(),
              (ShownMessage{"Insufficient System Memory", IconKind::Error, Buttons::Ok}));
    EXPECT_FALSE(harness.ui.terminatedWith());
    EXPECT_EQ(harness.log(),
              (std::vector<LogRecord>{{"ERROR", "Insufficient System Memory", pairOf(input, output)}}));
    EXPECT_FALSE(harness.exists("doc.txt"));
}

INSTANTIATE_TEST_SUITE_P(BothModes, FatalTest, testing::Values(JobMode::SingleFile, JobMode::Batch),
                         [](const testing::TestParamInfo<JobMode>& info) {
                             return std::string(info.param == JobMode::SingleFile ? "SingleFile" : "Batch");
                         });

} // namespace

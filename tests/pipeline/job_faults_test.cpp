// Whole jobs that meet the faults a person meets: the output directory turns read-only after the
// paths were checked, the log cannot be written, the CRL file is no file or disappears. No job may
// lose data, hang, or stop short of its end.
#include "support/child_process.h"
#include "support/job_harness.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/output_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

using ::testing::Contains;
using ::testing::ElementsAre;

namespace {

const std::string content = "The content the job saves.\r\n";
const std::string saveFailed = "Could not save file. Check file properties of the file being overwritten.";

// Runs a hook at a chosen moment of the job: before the first wait cursor (the first layer's work),
// or when the verdict is shown (after verification, before the save).
class HookedUi : public ScriptedJobUi {
public:
    std::function<void()> beforeFirstWait;
    std::function<void()> onVerdict;
    std::function<void()> onDocumentEnd;

    void beginWaitCursor() override {
        if (beforeFirstWait) {
            std::exchange(beforeFirstWait, {})();
        }
        ScriptedJobUi::beginWaitCursor();
    }
    void showSignatureResult(const SignatureVerdict& verdict) override {
        if (onVerdict) {
            onVerdict();
        }
        ScriptedJobUi::showSignatureResult(verdict);
    }
    void reportDocumentEnd(const FileReport& report) override {
        if (onDocumentEnd) {
            onDocumentEnd();
        }
        ScriptedJobUi::reportDocumentEnd(report);
    }
};

JobReport runJob(JobHarness& harness, JobUi& ui, const FormValues& values) {
    harness.form = FakeJobForm(values);
    return OnVerifyDecrypt(harness.form, ui, harness.settings);
}

// Permission bits do not stop root, so the job runs as an unprivileged user in a child process; the
// text it returns says what went wrong, if anything.
struct ReadOnlyCase {
    const char* name;
    bool oldOutput;
};

class OutputDirectoryTurnsReadOnly : public testing::TestWithParam<ReadOnlyCase> {};

TEST_P(OutputDirectoryTurnsReadOnly, BetweenTheChecksAndTheSave) {
    const bool oldOutput = GetParam().oldOutput;
    const std::string document = wrapLayers("S", content);
    const std::string problem = runUnprivileged([&]() -> std::string {
        JobHarness harness;
        const std::string input = harness.write("a.qsig", document);
        const std::string outDirectory = harness.path("out");
        ::mkdir(outDirectory.c_str(), 0755);
        if (oldOutput) {
            harness.write("out/a.txt", "old output");
        }
        HookedUi ui;
        ui.defaultAnswer = true;
        ui.onVerdict = [&] { ::chmod(outDirectory.c_str(), 0555); };
        const JobReport report =
            runJob(harness, ui, {input, outDirectory + "/a.txt", RevocationChoice::Skip, "", false});
        ::chmod(outDirectory.c_str(), 0755);
        if (oldOutput) {
            // A writable file needs no new entry in its directory: its content is replaced in place.
            if (report.files.size() != 1 || report.files[0].status != FileStatus::Saved) {
                return "the old output was not replaced in place";
            }
            return harness.read("out/a.txt") == content ? "" : "the output does not hold the content";
        }
        if (report.files.size() != 1 || report.files[0].status != FileStatus::Failed) {
            return "the save did not fail";
        }
        if (ui.messageTexts().back() != saveFailed) {
            return "last message: " + ui.messageTexts().back();
        }
        if (!namesIn(outDirectory).empty()) {
            return "the output directory holds " + testing::PrintToString(namesIn(outDirectory));
        }
        return "";
    });
    EXPECT_EQ(problem, "");
}

INSTANTIATE_TEST_SUITE_P(Outputs, OutputDirectoryTurnsReadOnly,
                         testing::Values(ReadOnlyCase{"NewOutput", false},
                                         ReadOnlyCase{"OldOutputWrittenInPlace", true}),
                         [](const testing::TestParamInfo<ReadOnlyCase>& info) { return info.param.name; });

// SIGTERM once the output is in place (sent at the completion message, after the log record) waits
// for the document's report, then ends the process: a saved output is never an interrupted document,
// whether it was new, renamed over an old one or written into an old one in place.
struct TermCase {
    const char* name;
    std::function<void(JobHarness&)> oldOutput;
};

void PrintTo(const TermCase& c, std::ostream* out) {
    *out << c.name;
}

class TerminatedAfterTheSave : public testing::TestWithParam<TermCase> {};

TEST_P(TerminatedAfterTheSave, EndsOnlyOnceTheSaveIsRecorded) {
    JobHarness harness;
    const std::string input = harness.write("a.qsig", wrapLayers("S", content));
    GetParam().oldOutput(harness);
    const pid_t child = ::fork();
    if (child == 0) {
        prepareProcessForSaving();
        HookedUi ui;
        ui.defaultAnswer = true;
        ui.onMessage = [](const std::string& text) {
            if (text == "Verification complete and File Saved") {
                ::kill(::getpid(), SIGTERM);
            }
        };
        ui.onDocumentEnd = [&] { harness.write("reported", "yes"); };
        runJob(harness, ui, {input, harness.path("a.txt"), RevocationChoice::Skip, "", false});
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(harness.read("a.txt"), content);
    EXPECT_TRUE(harness.exists("reported")) << "the signal cut the report short";
    EXPECT_THAT(harness.log(), ElementsAre(LogRecord{"VERIFICATION", "Verification complete and File Saved",
                                                     pairOf(input, harness.path("a.txt"))}));
}

INSTANTIATE_TEST_SUITE_P(Outputs, TerminatedAfterTheSave,
                         testing::Values(TermCase{"New", [](JobHarness&) {}},
                                         TermCase{"Renamed",
                                                  [](JobHarness& harness) { harness.write("a.txt", "old"); }},
                                         TermCase{"InPlace",
                                                  [](JobHarness& harness) {
                                                      harness.write("a.txt", "old");
                                                      std::filesystem::create_hard_link(
                                                          harness.path("a.txt"), harness.path("second"));
                                                  }}),
                         [](const testing::TestParamInfo<TermCase>& info) { return info.param.name; });

struct LogCase {
    const char* name;
    std::function<void(JobHarness&)> breakLog;
    std::string warning;
};

class UnwritableLog : public testing::TestWithParam<LogCase> {};

TEST_P(UnwritableLog, LeavesTheJobToComplete) {
    JobHarness harness;
    const std::string input = harness.write("a.qsig", wrapLayers("PS", content));
    harness.ui.passPhrases = {layerPassPhrase(1)};
    GetParam().breakLog(harness);
    const JobReport report = harness.runSingle(input, harness.path("a.txt"));
    ASSERT_EQ(report.files.size(), 1U);
    EXPECT_EQ(report.files[0].status, FileStatus::Saved) << report.files[0].outcome;
    EXPECT_EQ(harness.read("a.txt"), content);
    EXPECT_THAT(harness.ui.messages(),
                Contains(ShownMessage{GetParam().warning, IconKind::Warning, Buttons::Ok}));
    EXPECT_EQ(harness.ui.messageTexts().back(), "Decryption/Verification complete and File Saved");
}

INSTANTIATE_TEST_SUITE_P(
    Logs, UnwritableLog,
    testing::Values(LogCase{"ReadOnly",
                            [](JobHarness& harness) {
                                const std::string log = harness.settings.appPaths.logPath();
                                harness.write("app/Reader-Log.txt", "\nearlier record\n");
                                ::chmod(log.c_str(), 0444);
                            },
                            "Log file does not have write permissions"},
                    LogCase{"DirectoryGone",
                            [](JobHarness& harness) {
                                std::filesystem::remove_all(harness.settings.appPaths.directory);
                            },
                            "Could not write to log. Check accessibility and permissions"}),
    [](const testing::TestParamInfo<LogCase>& info) { return info.param.name; });

TEST(UnwritableLog, AReadOnlyLogKeepsItsRecords) {
    JobHarness harness;
    const std::string input = harness.write("a.qsig", wrapLayers("S", content));
    harness.write("app/Reader-Log.txt", "\nearlier record\n");
    ::chmod(harness.settings.appPaths.logPath().c_str(), 0444);
    harness.runSingle(input, harness.path("a.txt"));
    EXPECT_EQ(harness.read("app/Reader-Log.txt"), "\nearlier record\n");
}

// A CRL of the signer's authority that lists another serial: read, it makes the signer "NOT REVOKED".
void writeCrl(const std::string& path) {
    testdoc::CrlOptions options;
    options.revokedSerials = {99};
    std::ofstream(path, std::ios::binary) << testdoc::makeCrl(testSigner(), options);
}

// A CRL the checker cannot read leaves the revocation status unknown; the document is still saved.
struct CrlCase {
    const char* name;
    std::function<void(const std::string& crlPath)> makeCrl;
    std::function<void(const std::string& crlPath)> beforeVerification;
    std::string revocationText = "Certificate revocation status unknown";
};

class CrlFile : public testing::TestWithParam<CrlCase> {};

TEST_P(CrlFile, IsReadOrLeavesTheRevocationStatusUnknown) {
    JobHarness harness;
    const std::string input = harness.write("a.qsig", wrapLayers("S", content));
    const std::string crlPath = harness.path("list.crl");
    GetParam().makeCrl(crlPath);
    HookedUi ui;
    if (GetParam().beforeVerification) {
        ui.beforeFirstWait = [&] { GetParam().beforeVerification(crlPath); };
    }
    const JobReport report =
        runJob(harness, ui, {input, harness.path("a.txt"), RevocationChoice::Check, crlPath, false});
    ASSERT_TRUE(report.pathsValid) << testing::PrintToString(ui.messageTexts());
    ASSERT_EQ(report.files.size(), 1U);
    EXPECT_EQ(report.files[0].status, FileStatus::Saved) << report.files[0].outcome;
    EXPECT_EQ(harness.read("a.txt"), content);
    ASSERT_EQ(ui.verdicts().size(), 1U);
    EXPECT_EQ(ui.verdicts()[0].revocationText, GetParam().revocationText);
    EXPECT_EQ(ui.verdicts()[0].header, "SUCCESS");
}

INSTANTIATE_TEST_SUITE_P(
    Crls, CrlFile,
    testing::Values(CrlCase{"Read", writeCrl, {}, "Certificate is NOT REVOKED"},
                    CrlCase{"Directory", [](const std::string& path) { ::mkdir(path.c_str(), 0755); }, {}},
                    CrlCase{"Fifo", [](const std::string& path) { ::mkfifo(path.c_str(), 0644); }, {}},
                    CrlCase{"Vanishes", writeCrl,
                            [](const std::string& path) { std::filesystem::remove(path); }},
                    CrlCase{"TurnsIntoAFifo", writeCrl,
                            [](const std::string& path) {
                                std::filesystem::remove(path);
                                ::mkfifo(path.c_str(), 0644);
                            }}),
    [](const testing::TestParamInfo<CrlCase>& info) { return info.param.name; });

} // namespace

#include "pipeline/save_result.h"

#include "e2eCrypto/error_records.h"
#include "pipeline/activity_log.h"
#include "pipeline/completion_text.h"
#include "support/fake_job_form.h"
#include "support/scripted_job_ui.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string saveFailed = "Could not save file. Check file properties of the file being overwritten.";

std::vector<std::string> namesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t permissionsOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// The record lines of a log, without their date and time fields.
std::vector<std::string> records(const std::string& logText) {
    std::vector<std::string> lines;
    std::size_t start = 1; // the created log begins with one line feed
    while (start < logText.size()) {
        const std::size_t end = logText.find('\n', start);
        const std::string line = logText.substr(start, end - start);
        lines.push_back(line.substr(line.find('\t', line.find('\t') + 1) + 1));
        start = end + 1;
    }
    return lines;
}

// Runs one save step with a log and output in two separate temporary directories.
class SaveResultTest : public ::testing::Test {
protected:
    TempDir out;
    TempDir logDir;
    ScriptedJobUi ui;
    FakeJobForm form{FormValues{"/in/a.qsig", "", 0, "/crl/list.crl", false}};
    ActivityLog log{logDir.file("Reader-Log.txt"), ui};

    JobContext job(JobMode mode) { return {ui, form, log, mode, {"/in/a.qsig", out.file("a.txt")}}; }
    std::vector<std::string> logged() const { return records(logDir.read("Reader-Log.txt")); }
};

TEST_F(SaveResultTest, NewFileIsWrittenByteForByteAndReported) {
    const std::string content("plain\0text\r\n\xff", 13);
    JobContext single = job(JobMode::SingleFile);
    EXPECT_EQ(SaveResult(single, content, 2, false), SaveOutcome::Saved);
    EXPECT_EQ(out.read("a.txt"), content);
    EXPECT_THAT(ui.messages(), ElementsAre(ShownMessage{"Verification complete and File Saved",
                                                        IconKind::Success, Buttons::Ok}));
    EXPECT_THAT(logged(), ElementsAre("VERIFICATION\tVerification complete and File Saved\t/in/a.qsig -> " +
                                      out.file("a.txt")));
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
    EXPECT_EQ(permissionsOf(out.file("a.txt")) & 0600, 0600U);
}

TEST_F(SaveResultTest, BatchCompletionIsLoggedOnly) {
    JobContext batch = job(JobMode::Batch);
    EXPECT_EQ(SaveResult(batch, "x", 6, false), SaveOutcome::Saved);
    EXPECT_THAT(ui.events, IsEmpty());
    EXPECT_THAT(
        logged(),
        ElementsAre("DECRYPT AND VERIFY\tDecryption/Verification completed and File Saved\t/in/a.qsig -> " +
                    out.file("a.txt")));
    EXPECT_THAT(form.effects, IsEmpty());
}

TEST_F(SaveResultTest, OverwriteYesReplacesTheWholeFileAndKeepsItsMode) {
    const std::string path = out.write("a.txt", "a much longer old content");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ui.answer(true);
    JobContext single = job(JobMode::SingleFile);
    EXPECT_EQ(SaveResult(single, "new", 4, false), SaveOutcome::Saved);
    EXPECT_EQ(out.read("a.txt"), "new");
    EXPECT_EQ(permissionsOf(path), 0640U);
    EXPECT_THAT(
        ui.messages(),
        ElementsAre(ShownMessage{path + " file already exists. Do you want to overwrite it?",
                                 IconKind::Warning, Buttons::YesNo},
                    ShownMessage{"Decryption complete and File Saved", IconKind::Success, Buttons::Ok}));
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
}

TEST_F(SaveResultTest, OverwriteNoThrowsTheEmptyRecordAndTouchesNothing) {
    out.write("a.txt", "old");
    ui.answer(false);
    JobContext single = job(JobMode::SingleFile);
    try {
        SaveResult(single, "new", 2, false);
        FAIL() << "a declined overwrite must throw";
    } catch (const errorDef::error_message& declined) {
        EXPECT_EQ(declined.message, "");
    }
    EXPECT_EQ(out.read("a.txt"), "old");
    EXPECT_EQ(ui.messages().size(), 1U);
    EXPECT_FALSE(std::filesystem::exists(logDir.file("Reader-Log.txt")));
    EXPECT_THAT(form.effects, IsEmpty());
}

TEST_F(SaveResultTest, ReadOnlyOutputIsAskedAboutThenFailsInSingleFileJob) {
    const std::string path = out.write("a.txt", "old");
    // Judged by the permission bits, so the save fails for root as it does for anyone else.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    ui.answer(true);
    JobContext single = job(JobMode::SingleFile);
    EXPECT_EQ(SaveResult(single, "new", 2, true), SaveOutcome::Failed);
    EXPECT_EQ(out.read("a.txt"), "old");
    EXPECT_THAT(ui.messageTexts(),
                ElementsAre(path + " file already exists. Do you want to overwrite it?", saveFailed));
    EXPECT_EQ(ui.messages().back().icon, IconKind::Error);
    EXPECT_THAT(logged(), ElementsAre("ERROR\tFailed to save to output file\t/in/a.qsig -> " + path));
    EXPECT_THAT(form.effects, ElementsAre("setBoxText(Input, \"\")", "setBoxText(Output, \"\")",
                                          "setBoxText(CrlPath, \"\")", "showValues()"));
}

TEST_F(SaveResultTest, FailureWithoutFurtherPassesKeepsTheCrlBox) {
    JobContext single = {ui, form, log, JobMode::SingleFile, {"/in/a.qsig", out.file("missing/a.txt")}};
    EXPECT_EQ(SaveResult(single, "new", 2, false), SaveOutcome::Failed);
    EXPECT_THAT(form.effects,
                ElementsAre("setBoxText(Input, \"\")", "setBoxText(Output, \"\")", "showValues()"));
    EXPECT_EQ(form.shown.crlPath, "/crl/list.crl");
}

TEST_F(SaveResultTest, BatchFailureEnablesTheOutputBoxAndLogsItsOwnText) {
    JobContext batch = {ui, form, log, JobMode::Batch, {"/in/a.qsig", out.file("missing/a.txt")}};
    EXPECT_EQ(SaveResult(batch, "new", 2, true), SaveOutcome::Failed);
    EXPECT_THAT(ui.messages(), ElementsAre(ShownMessage{saveFailed, IconKind::Error, Buttons::Ok}));
    EXPECT_THAT(logged(), ElementsAre("ERROR\tCould not save to output file\t/in/a.qsig -> " +
                                      out.file("missing/a.txt")));
    EXPECT_THAT(form.effects, ElementsAre("enableOutput()", "setBoxText(Input, \"\")",
                                          "setBoxText(Output, \"\")", "showValues()"));
}

TEST_F(SaveResultTest, EmptyContentIsNotSaved) {
    out.write("a.txt", "old");
    ui.answer(true);
    JobContext single = job(JobMode::SingleFile);
    EXPECT_EQ(SaveResult(single, "", 2, false), SaveOutcome::Failed);
    EXPECT_THAT(ui.messageTexts(),
                ElementsAre(out.file("a.txt") + " file already exists. Do you want to overwrite it?",
                            "Insufficient hard disk space", saveFailed));
    EXPECT_EQ(out.read("a.txt"), "old");
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(SaveResultTest, FullDiskLeavesTheOldFileWholeAndNoTemporaryFile) {
    log.Write(0, "warm-up", "creates the log before the limit");
    const std::string old(100, 'o');
    out.write("a.txt", old);
    ui.answer(true);
    JobContext single = job(JobMode::SingleFile);
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(SaveResult(single, std::string(10000, 'n'), 2, false), SaveOutcome::Failed);
    }
    EXPECT_THAT(ui.messageTexts(),
                ElementsAre(out.file("a.txt") + " file already exists. Do you want to overwrite it?",
                            "Insufficient hard disk space", saveFailed));
    EXPECT_EQ(out.read("a.txt"), old);
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
}

TEST(WriteWholeFile, FollowsASymbolicLinkToItsTarget) {
    TempDir dir;
    ScriptedJobUi ui;
    const std::string target = dir.write("target.txt", "old");
    std::filesystem::create_symlink(target, dir.file("link.txt"));
    EXPECT_TRUE(WriteWholeFile(dir.file("link.txt"), "new", ui));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(dir.read("target.txt"), "new");
}

TEST(WriteWholeFile, SavesANameAtTheFileSystemsLengthLimit) {
    TempDir dir;
    ScriptedJobUi ui;
    const std::string longest(255, 'n');
    EXPECT_TRUE(WriteWholeFile(dir.file(longest), "bytes", ui));
    EXPECT_EQ(dir.read(longest), "bytes");
}

TEST(WriteWholeFile, RefusesADirectory) {
    TempDir dir;
    ScriptedJobUi ui;
    std::filesystem::create_directory(dir.file("sub"));
    EXPECT_FALSE(WriteWholeFile(dir.file("sub"), "x", ui));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("sub")));
    EXPECT_THAT(ui.events, IsEmpty());
}

struct CompletionCase {
    int tally;
    JobMode mode;
    bool furtherPasses;
    CompletionRecord expected;
};

class CompletionTextTest : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(CompletionTextTest, ColumnAndRow) {
    const CompletionCase& c = GetParam();
    EXPECT_EQ(completionRecord(c.tally, c.mode, c.furtherPasses), c.expected);
}

constexpr JobMode single = JobMode::SingleFile;
constexpr JobMode batch = JobMode::Batch;

INSTANTIATE_TEST_SUITE_P(
    EveryColumn, CompletionTextTest,
    ::testing::Values(
        CompletionCase{6, single, false, {13, "Decryption/Verification complete and File Saved"}},
        CompletionCase{6, single, true, {13, "Decryption/Verification complete and File Saved"}},
        CompletionCase{6, batch, false, {13, "Decryption/Verification completed and File Saved"}},
        CompletionCase{6, batch, true, {13, "Decryption/Verification complete and File saved"}},
        CompletionCase{4, single, false, {14, "Decryption complete and File Saved"}},
        CompletionCase{4, single, true, {14, "Decryption complete and File Saved"}},
        CompletionCase{4, batch, false, {14, "Decryption complete and File Saved"}},
        CompletionCase{4, batch, true, {14, "Decryption complete and File Saved"}},
        CompletionCase{2, single, false, {15, "Verification complete and File Saved"}},
        CompletionCase{2, single, true, {15, "Verification complete and File Saved"}},
        CompletionCase{2, batch, false, {15, "Verification complete and File Saved"}},
        CompletionCase{2, batch, true, {15, "Verification complete and File Saved"}},
        CompletionCase{8, single, false, {13, "Processed and saved the file"}},
        CompletionCase{10, single, true, {13, "Processed and Saved the file"}},
        CompletionCase{0, single, true, {13, "Processed and Saved the file"}},
        CompletionCase{8, batch, false, {13, "Processed the file"}},
        CompletionCase{10, batch, true, {13, "Processed the file"}},
        CompletionCase{0, batch, false, {13, "Processed the file"}}));

} // namespace

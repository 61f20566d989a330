#include "pipeline/save_result.h"

#include "pipeline/activity_log.h"
#include "pipeline/completion_text.h"
#include "support/fake_job_form.h"
#include "support/file_size_limit.h"
#include "support/folder_that_keeps_names.h"
#include "support/scripted_job_ui.h"
#include "support/simulated_file_system.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <thread>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string saveFailed = "Could not save file. Check file properties of the file being overwritten.";

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
    FakeJobForm form{FormValues{"/in/a.qsig", "", RevocationChoice::Check, "/crl/list.crl", false}};
    ActivityLog log{logDir.file("Reader-Log.txt"), ui};

    JobContext job(JobMode mode) { return {ui, form, log, mode, {"/in/a.qsig", out.file("a.txt")}}; }
    std::vector<std::string> logged() const { return records(logDir.read("Reader-Log.txt")); }
};

TEST_F(SaveResultTest, NewFileIsWrittenByteForByteAndReported) {
    const std::string content("plain\0text\r\n\xff", 13);
    JobContext single = job(JobMode::SingleFile);
    EXPECT_EQ(SaveResult(single, content, Completion::Verified, false), SaveOutcome::Saved);
    EXPECT_EQ(out.read("a.txt"), content);
    EXPECT_THAT(ui.messages(), ElementsAre(ShownMessage{"Verification complete and File Saved",
                                                        IconKind::Success, Buttons::Ok}));
    EXPECT_THAT(logged(), ElementsAre("VERIFICATION\tVerification complete and File Saved\t/in/a.qsig -> " +
                                      out.file("a.txt")));
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(permissionsOf(out.file("a.txt")), 0666 & ~mask);
}

TEST_F(SaveResultTest, BatchCompletionIsLoggedOnly) {
    JobContext batch = job(JobMode::Batch);
    EXPECT_EQ(SaveResult(batch, "x", Completion::DecryptedAndVerified, false), SaveOutcome::Saved);
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
    EXPECT_EQ(SaveResult(single, "new", Completion::Decrypted, false), SaveOutcome::Saved);
    EXPECT_EQ(out.read("a.txt"), "new");
    EXPECT_EQ(permissionsOf(path), 0640U);
    EXPECT_THAT(
        ui.messages(),
        ElementsAre(ShownMessage{path + " file already exists. Do you want to overwrite it?",
                                 IconKind::Warning, Buttons::YesNo},
                    ShownMessage{"Decryption complete and File Saved", IconKind::Success, Buttons::Ok}));
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
}

TEST_F(SaveResultTest, OverwriteNoIsDeclinedAndTouchesNothing) {
    out.write("a.txt", "old");
    ui.answer(false);
    JobContext single = job(JobMode::SingleFile);
    EXPECT_EQ(SaveResult(single, "new", Completion::Verified, false), SaveOutcome::Declined);
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
    EXPECT_EQ(SaveResult(single, "new", Completion::Verified, true), SaveOutcome::Failed);
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
    EXPECT_EQ(SaveResult(single, "new", Completion::Verified, false), SaveOutcome::Failed);
    EXPECT_THAT(form.effects,
                ElementsAre("setBoxText(Input, \"\")", "setBoxText(Output, \"\")", "showValues()"));
    EXPECT_EQ(form.shown.crlPath, "/crl/list.crl");
}

TEST_F(SaveResultTest, BatchFailureEnablesTheOutputBoxAndLogsItsOwnText) {
    JobContext batch = {ui, form, log, JobMode::Batch, {"/in/a.qsig", out.file("missing/a.txt")}};
    EXPECT_EQ(SaveResult(batch, "new", Completion::Verified, true), SaveOutcome::Failed);
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
    EXPECT_EQ(SaveResult(single, "", Completion::Verified, false), SaveOutcome::Failed);
    EXPECT_THAT(ui.messageTexts(),
                ElementsAre(out.file("a.txt") + " file already exists. Do you want to overwrite it?",
                            "Insufficient hard disk space", saveFailed));
    EXPECT_EQ(out.read("a.txt"), "old");
    EXPECT_THAT(namesIn(out.path()), ElementsAre("a.txt"));
}

struct FullDiskCase {
    const char* fileSystem;
    bool linked;    // a second name keeps the file, so it is written in place
    bool sizeLimit; // a file-size limit of 4096 bytes; else the space the file system has left
};

// Staged unnamed, staged under a hidden name, and written in place: where space is reserved, where
// it is only counted, and where every block written takes a new one (10000 bytes over 100 fit the
// 8000 left only if the old blocks could be reused).
TEST_F(SaveResultTest, FullDiskLeavesTheOldFileWholeAndNoTemporaryFile) {
    EXPECT_EQ(log.Write(0, "warm-up", "creates the log before the limit"), LogWrite::Written);
    const std::string old(100, 'o');
    for (const FullDiskCase& row :
         {FullDiskCase{"", false, true}, FullDiskCase{"no-unnamed-files", false, true},
          FullDiskCase{"", true, true}, FullDiskCase{"no-space-reservation free=4000", true, false},
          FullDiskCase{"copy-on-write free=8000", true, false}}) {
        const SimulatedFileSystem fileSystem(row.fileSystem);
        out.write("a.txt", old);
        if (row.linked) {
            std::filesystem::create_hard_link(out.file("a.txt"), out.file("b.txt"));
        }
        ui.clear();
        ui.answer(true);
        JobContext single = job(JobMode::SingleFile);
        {
            const FileSizeLimit limit(row.sizeLimit ? 4096 : RLIM_INFINITY);
            EXPECT_EQ(SaveResult(single, std::string(10000, 'n'), Completion::Verified, false),
                      SaveOutcome::Failed)
                << row.fileSystem;
        }
        EXPECT_THAT(ui.messageTexts(),
                    ElementsAre(out.file("a.txt") + " file already exists. Do you want to overwrite it?",
                                "Insufficient hard disk space", saveFailed));
        EXPECT_EQ(out.read("a.txt"), old);
        EXPECT_EQ(namesIn(out.path()).size(), row.linked ? 2U : 1U);
        std::filesystem::remove(out.file("b.txt"));
    }
}

// A file that can only be overwritten in place is, after a second question that says what that costs.
TEST_F(SaveResultTest, InPlaceOverwriteIsAskedAboutFirst) {
    for (const bool yes : {false, true}) {
        out.write("a.txt", "old");
        std::filesystem::create_hard_link(out.file("a.txt"), out.file("b.txt"));
        ui.clear();
        ui.answer(true).answer(yes);
        JobContext batch = job(JobMode::Batch);
        EXPECT_EQ(SaveResult(batch, "new", Completion::Verified, false),
                  yes ? SaveOutcome::Saved : SaveOutcome::Declined);
        EXPECT_EQ(out.read("b.txt"), yes ? "new" : "old");
        ASSERT_EQ(ui.messages().size(), 2U);
        EXPECT_THAT(ui.messages()[1].text, ::testing::HasSubstr("overwritten in place"));
        std::filesystem::remove(out.file("b.txt"));
    }
}

// A folder that stopped letting names go: the old file stays, and the person learns that an emptied
// temporary file is left in it.
TEST_F(SaveResultTest, AStagingFileTheFolderKeepsIsEmptiedAndMentioned) {
    out.write("a.txt", "old");
    if (!keepEveryName(out.path(), true)) {
        GTEST_SKIP() << "the append-only flag needs root and a file system that has it";
    }
    ui.answer(true);
    JobContext single = job(JobMode::SingleFile);
    const SaveOutcome outcome = SaveResult(single, "new", Completion::Verified, false);
    keepEveryName(out.path(), false);
    EXPECT_EQ(outcome, SaveOutcome::Failed);
    EXPECT_EQ(out.read("a.txt"), "old");
    EXPECT_THAT(ui.messageTexts(),
                ElementsAre(out.file("a.txt") + " file already exists. Do you want to overwrite it?",
                            ::testing::HasSubstr("it was emptied and left there"), saveFailed));
}

pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(WriteWholeFile, FirstRemovesTheStagingFilesThatEndedProcessesOfTheUserLeft) {
    TempDir dir;
    ScriptedJobUi ui;
    const std::string ended = ".quillbox-" + std::to_string(endedProcess());
    const std::string living = ".quillbox-" + std::to_string(::getppid()) + "-2.tmp";
    for (const std::string& name :
         {ended + "-1.tmp", ended + "-2.tmp", ended + "-3.tmp", ended + "-x.tmp", living}) {
        dir.write(name, "plain");
    }
    // A live holder elsewhere (another machine sharing the directory) keeps its lock.
    const int held = ::open(dir.file(ended + "-2.tmp").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dir.file(ended + "-3.tmp").c_str(), 1234, 1234), 0);
    }
    EXPECT_EQ(WriteWholeFile(dir.file("a.txt"), "new", ui), SaveStatus::Saved);
    ::close(held);
    EXPECT_EQ(ui.abandonedFilesRemoved, ::geteuid() == 0 ? 1 : 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file(ended + "-1.tmp")));
    EXPECT_THAT(namesIn(dir.path()), ::testing::IsSupersetOf({ended + "-2.tmp", ended + "-x.tmp", living}));
}

TEST(WriteWholeFile, RefusesADirectory) {
    TempDir dir;
    ScriptedJobUi ui;
    std::filesystem::create_directory(dir.file("sub"));
    EXPECT_EQ(WriteWholeFile(dir.file("sub"), "x", ui), SaveStatus::Failed);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("sub")));
    EXPECT_THAT(ui.events, IsEmpty());
}

// Two jobs creating one new output: exactly one saves without asking; the other is asked, and its
// No leaves the first one's content.
TEST(SaveResultRace, OnlyOneOfTwoCreatorsSavesWithoutTheQuestion) {
    for (int round = 0; round < 50; ++round) {
        TempDir dir;
        const std::string output = dir.file("a.txt");
        std::array<std::string, 2> outcomes;
        // Every road to a new name: linked from an unnamed file, linked from a hidden name, moved
        // without replacing, and moved over an empty file taken exclusively.
        static constexpr std::array roads = {"", "no-unnamed-files", "no-hard-links",
                                             "no-hard-links no-exclusive-rename"};
        const SimulatedFileSystem fileSystem(roads[static_cast<std::size_t>(round) % roads.size()]);
        std::atomic<int> ready{0};
        const auto create = [&](int which) {
            ScriptedJobUi ui;
            ui.answer(false);
            FakeJobForm form{FormValues{}};
            ActivityLog log{dir.file("Reader-Log.txt"), ui};
            JobContext job{ui, form, log, JobMode::Batch, {"/in/a.qsig", output}};
            ++ready;
            while (ready < 2) {
            }
            switch (SaveResult(job, std::string(4096, static_cast<char>('0' + which)), Completion::Verified,
                               false)) {
            case SaveOutcome::Saved:
                outcomes[which] = "saved";
                break;
            case SaveOutcome::Failed:
                outcomes[which] = "failed";
                break;
            case SaveOutcome::Declined:
                outcomes[which] = ui.messages().empty() ? "declined unasked" : "declined";
                break;
            }
        };
        std::thread first(create, 0);
        std::thread second(create, 1);
        first.join();
        second.join();
        std::sort(outcomes.begin(), outcomes.end());
        ASSERT_EQ(outcomes, (std::array<std::string, 2>{"declined", "saved"})) << "round " << round;
    }
}

struct CompletionCase {
    FirstPassLayers removed;
    JobMode mode;
    bool furtherPasses;
    CompletionRecord expected;
};

class CompletionTextTest : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(CompletionTextTest, ColumnAndRow) {
    const CompletionCase& c = GetParam();
    EXPECT_EQ(completionRecord(completionOf(c.removed), c.mode, c.furtherPasses), c.expected);
}

constexpr JobMode single = JobMode::SingleFile;
constexpr JobMode batch = JobMode::Batch;

INSTANTIATE_TEST_SUITE_P(
    EveryColumn, CompletionTextTest,
    ::testing::Values(
        CompletionCase{{.certificate = true, .signedLayer = true},
                       single,
                       false,
                       {13, "Decryption/Verification complete and File Saved"}},
        CompletionCase{{.certificate = true, .signedLayer = true},
                       single,
                       true,
                       {13, "Decryption/Verification complete and File Saved"}},
        CompletionCase{{.passPhrase = true, .signedLayer = true},
                       batch,
                       false,
                       {13, "Decryption/Verification completed and File Saved"}},
        CompletionCase{{.passPhrase = true, .signedLayer = true},
                       batch,
                       true,
                       {13, "Decryption/Verification complete and File saved"}},
        CompletionCase{{.passPhrase = true}, single, false, {14, "Decryption complete and File Saved"}},
        CompletionCase{{.passPhrase = true}, single, true, {14, "Decryption complete and File Saved"}},
        CompletionCase{{.certificate = true}, batch, false, {14, "Decryption complete and File Saved"}},
        CompletionCase{{.certificate = true}, batch, true, {14, "Decryption complete and File Saved"}},
        CompletionCase{{.signedLayer = true}, single, false, {15, "Verification complete and File Saved"}},
        CompletionCase{{.signedLayer = true}, single, true, {15, "Verification complete and File Saved"}},
        CompletionCase{{.signedLayer = true}, batch, false, {15, "Verification complete and File Saved"}},
        CompletionCase{{.signedLayer = true}, batch, true, {15, "Verification complete and File Saved"}},
        CompletionCase{
            {.passPhrase = true, .certificate = true}, single, false, {13, "Processed and saved the file"}},
        CompletionCase{{true, true, true}, single, true, {13, "Processed and Saved the file"}},
        CompletionCase{{}, single, true, {13, "Processed and Saved the file"}},
        CompletionCase{{.passPhrase = true, .certificate = true}, batch, false, {13, "Processed the file"}},
        CompletionCase{{true, true, true}, batch, true, {13, "Processed the file"}},
        CompletionCase{{}, batch, false, {13, "Processed the file"}}));

} // namespace

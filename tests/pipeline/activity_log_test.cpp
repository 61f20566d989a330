#include "pipeline/activity_log_fixture.h"

#include "platform/path_conventions.h"
#include "platform/utf8_path.h"
#include "support/calendar_time.h"
#include "support/scripted_job_ui.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <thread>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using ActivityLogTest = ActivityLogFixture;

TEST_F(ActivityLogTest, FreshLogStartsWithOneLineFeedThenTheRecord) {
    EXPECT_EQ(log.Write(15, "Verification complete and File Saved", "/in/a.qsig -> /out/a.txt"),
              LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt"),
              "\n" + fixedStamp +
                  "VERIFICATION\tVerification complete and File Saved\t/in/a.qsig -> /out/a.txt" + eol);
    EXPECT_FALSE(exists("successcounter.txt"));
    EXPECT_THAT(ui.events, IsEmpty());
}

TEST_F(ActivityLogTest, RecordsAreAppendedInOrder) {
    EXPECT_EQ(log.Write(0, "first", "a -> b"), LogWrite::Written);
    EXPECT_EQ(log.Write(14, "second", "c -> d"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt"), "\n" + fixedStamp + "ERROR\tfirst\ta -> b" + eol + fixedStamp +
                                              "DECRYPTION\tsecond\tc -> d" + eol);
}

TEST_F(ActivityLogTest, UnknownKindLeavesTheThirdFieldEmpty) {
    EXPECT_EQ(log.Write(17, "m", "f"), LogWrite::Written);
    EXPECT_EQ(log.Write(99, "m", "f"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt"), "\n" + fixedStamp + "\tm\tf" + eol + fixedStamp + "\tm\tf" + eol);
}

TEST_F(ActivityLogTest, ControlCharactersInFieldsAreEscapedSoARecordStaysOneLine) {
    EXPECT_EQ(log.Write(0, "Line one\nline two",
                        "/tmp/x\n1/1/2004\t0:0:0\tDECRYPTION\tforged\r\x01\x7f\xc3\xa9.qsig"),
              LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt"),
              "\n" + fixedStamp +
                  "ERROR\tLine one\\nline "
                  "two\t/tmp/x\\n1/1/2004\\t0:0:0\\tDECRYPTION\\tforged\\r\\x01\\x7F\xc3\xa9.qsig" +
                  eol);
}

// Where the backslash separates directories, Windows paths read as themselves; elsewhere it is
// doubled, so that a name holding "\n" cannot pass for an escaped line break.
TEST_F(ActivityLogTest, BackslashIsDoubledOnlyWhereItIsNotTheSeparator) {
    EXPECT_EQ(log.Write(0, "m", "C:\\in\\new.qsig"), LogWrite::Written);
    const std::string files =
        platform::directorySeparator() == '\\' ? "C:\\in\\new.qsig" : "C:\\\\in\\\\new.qsig";
    EXPECT_EQ(dir.read("Reader-Log.txt"), "\n" + fixedStamp + "ERROR\tm\t" + files + eol);
}

TEST_F(ActivityLogTest, LogOfExactlyTheLimitStillTakesTheRecord) {
    baseLogOfSize(102400);
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt").size(),
              102400 + fixedStamp.size() + std::string("ERROR\tm\tf" + eol).size());
    EXPECT_FALSE(exists("Reader-Log1.txt"));
    EXPECT_FALSE(exists("successcounter.txt"));
}

TEST_F(ActivityLogTest, LogPastTheLimitSpillsIntoTheFirstNumberedFile) {
    baseLogOfSize(102401);
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt").size(), 102401U);
    EXPECT_EQ(dir.read("Reader-Log1.txt"), fixedStamp + "ERROR\tm\tf" + eol);
    EXPECT_EQ(dir.read("successcounter.txt"), "1");
}

TEST_F(ActivityLogTest, EverySpilledRecordGetsAFileOfItsOwn) {
    baseLogOfSize(102401);
    dir.write("successcounter.txt", "1");
    EXPECT_EQ(log.Write(0, "one", "f"), LogWrite::Written);
    EXPECT_EQ(log.Write(0, "two", "f"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log2.txt"), fixedStamp + "ERROR\tone\tf" + eol);
    EXPECT_EQ(dir.read("Reader-Log3.txt"), fixedStamp + "ERROR\ttwo\tf" + eol);
    EXPECT_EQ(dir.read("successcounter.txt"), "3");
}

TEST_F(ActivityLogTest, CounterOfMinusOneSendsTheRecordToTheBaseLog) {
    baseLogOfSize(102401);
    dir.write("successcounter.txt", "-1");
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt"), std::string(102401, 'x') + fixedStamp + "ERROR\tm\tf" + eol);
    EXPECT_EQ(dir.read("successcounter.txt"), "-1");
}

TEST_F(ActivityLogTest, ReadOnlyLogShowsItsMessageAndChangesNoFile) {
    const std::string path = dir.write("Reader-Log.txt", "\nold\n");
    // Judged by the permission bits: running as root, access(2) would call a 0444 file writable.
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    for (int record = 0; record < 2; ++record) {
        const LogWrite result = log.Write(0, "m", "f");
        EXPECT_EQ(result, LogWrite::ReadOnly);
        showLogFailure(ui, result);
    }
    EXPECT_EQ(dir.read("Reader-Log.txt"), "\nold\n");
    const ShownMessage expected{"Log file does not have write permissions", IconKind::Warning, Buttons::Ok};
    EXPECT_THAT(ui.messages(), ElementsAre(expected, expected));
    EXPECT_FALSE(exists("successcounter.txt"));
}

TEST_F(ActivityLogTest, LogThatCannotBeCreatedShowsItsMessage) {
    ActivityLog missing(dir.file("gone/Reader-Log.txt"), ui);
    const LogWrite result = missing.Write(0, "m", "f");
    EXPECT_EQ(result, LogWrite::NotCreated);
    showLogFailure(ui, result);
    EXPECT_THAT(ui.messages(),
                ElementsAre(ShownMessage{"Could not write to log. Check accessibility and permissions",
                                         IconKind::Warning, Buttons::Ok}));
}

TEST(ActivityLogSpillPath, InsertsTheCounterBeforeTheExtension) {
    TempDir dir;
    ScriptedJobUi ui;
    ActivityLog log(dir.file("Reader-Log.txt"), ui);
    dir.write("successcounter.txt", "  6");
    EXPECT_EQ(log.SpillPath(), dir.file("Reader-Log7.txt"));
    EXPECT_EQ(dir.read("successcounter.txt"), "7");
    dir.write("successcounter.txt", "not a number");
    EXPECT_EQ(log.SpillPath(), dir.file("Reader-Log1.txt"));
    dir.write("successcounter.txt", "-5");
    EXPECT_EQ(log.SpillPath(), dir.file("Reader-Log-4.txt"));
}

TEST(ActivityLogSpillPath, CountsOnInAFolderNamedBeyondASCII) {
    TempDir dir;
    const std::string folder = "Zo\xc3\xab M\xc3\xbcller/";
    std::filesystem::create_directory(platform::utf8Path(dir.file(folder)));
    dir.write(folder + "successcounter.txt", "6");
    ScriptedJobUi ui;
    ActivityLog log(dir.file(folder + "Reader-Log.txt"), ui);
    EXPECT_EQ(log.SpillPath(), dir.file(folder + "Reader-Log7.txt"));
    EXPECT_EQ(dir.read(folder + "successcounter.txt"), "7");
}

// Jobs spilling at the same time: one record per spill file, and a counter that counts them all.
TEST(ActivityLogSpillPath, ConcurrentJobsNeverShareASpillFile) {
    TempDir dir;
    dir.write("Reader-Log.txt", std::string(102401, 'x'));
    constexpr int jobs = 8;
    constexpr int recordsEach = 4;
    std::vector<std::thread> running;
    for (int job = 0; job < jobs; ++job) {
        running.emplace_back([&dir] {
            ScriptedJobUi ui;
            ActivityLog log(dir.file("Reader-Log.txt"), ui);
            for (int record = 0; record < recordsEach; ++record) {
                EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Written);
            }
        });
    }
    for (std::thread& job : running) {
        job.join();
    }
    EXPECT_EQ(dir.read("successcounter.txt"), std::to_string(jobs * recordsEach));
    for (int spill = 1; spill <= jobs * recordsEach; ++spill) {
        const std::string text = dir.read("Reader-Log" + std::to_string(spill) + ".txt");
        EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 4) << "spill file " << spill;
    }
}

TEST(ActivityLogKindName, NamesEveryCode) {
    const std::vector<std::pair<int, std::string>> table = {
        {0, "ERROR"},
        {1, "SYMETRIC ENCRYPTION"},
        {2, "ASYMETRIC ENCRYPTION"},
        {3, "SYMETRIC ENCRYPTION AND SIGNED"},
        {4, "ASYMETRIC ENCRYPTION AND SIGNED"},
        {5, "DIGITALLY SIGNED"},
        {6, "SYMETRIC ENCRYPTION AND EXTRACTOR"},
        {7, "ASYMETRIC ENCRYPTION AND EXTRACTOR"},
        {8, "SYMETRIC ENCRYPTION, SIGNED AND EXTRACTOR"},
        {9, "ASYMETRIC ENCRYPTION, SIGNED AND EXTRACTOR"},
        {10, "DIGITALLY SIGNED AND EXTRACTOR"},
        {11, "EXTRACTOR"},
        {12, "CRL DOWNLOAD"},
        {13, "DECRYPT AND VERIFY"},
        {14, "DECRYPTION"},
        {15, "VERIFICATION"},
        {16, "CRL DOWNLOAD"},
        {17, ""},
        {99, ""},
        {-1, ""},
    };
    for (const auto& [kind, name] : table) {
        EXPECT_EQ(ActivityLog::KindName(kind), name) << "kind " << kind;
    }
}

TEST(ActivityLogStamp, DateAndTimeHaveNoLeadingZeros) {
    const std::vector<std::tuple<std::tm, std::string, std::string>> table = {
        {calendarTime(2004, 2, 1, 9, 5, 3), "1/2/2004", "9:5:3"},
        {calendarTime(2003, 3, 5, 9, 7, 4), "5/3/2003", "9:7:4"},
        {calendarTime(1999, 12, 31, 23, 59, 59), "31/12/1999", "23:59:59"},
        {calendarTime(2010, 10, 10, 0, 0, 0), "10/10/2010", "0:0:0"},
    };
    for (const auto& [when, date, time] : table) {
        EXPECT_EQ(ActivityLog::formatDate(when), date);
        EXPECT_EQ(ActivityLog::formatTime(when), time);
    }
}

} // namespace

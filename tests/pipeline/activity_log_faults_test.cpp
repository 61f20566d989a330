#include "pipeline/activity_log_fixture.h"

#include "support/file_size_limit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

// The log's faults that only POSIX calls can set up: a file-size limit, another user's link.
namespace {

using ::testing::ElementsAre;

using ActivityLogFaults = ActivityLogFixture;

// A record the disk cuts short is taken back whole and said, so the next one starts its own line.
TEST_F(ActivityLogFaults, ARecordCutShortIsTakenBackAndShown) {
    const std::string path = dir.write("Reader-Log.txt", "\nold\n");
    {
        const FileSizeLimit limit(8);
        const LogWrite result = log.Write(0, "m", "f");
        EXPECT_EQ(result, LogWrite::Lost);
        showLogFailure(ui, result);
    }
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Written);
    EXPECT_EQ(dir.read("Reader-Log.txt"), "\nold\n" + fixedStamp + "ERROR\tm\tf" + eol);
    EXPECT_THAT(ui.messageTexts(),
                ElementsAre("Could not write to log. Check accessibility and permissions"));
}

// A spill file that cannot be made loses its record aloud, and its number is not used up.
TEST_F(ActivityLogFaults, ASpillFileThatCannotBeMadeLeavesTheCounter) {
    baseLogOfSize(102401);
    dir.write("successcounter.txt", "3");
    std::filesystem::create_directory(dir.file("Reader-Log4.txt"));
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Lost);
    EXPECT_EQ(dir.read("successcounter.txt"), "3");
}

// A link another user planted in a shared folder is never written through.
TEST_F(ActivityLogFaults, PlantedLinkInASharedFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "planting another user's link needs root";
    }
    const std::string theirs = dir.write("theirs.txt", "theirs");
    ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    for (const char* name : {"Reader-Log.txt", "Reader-Log1.txt"}) {
        std::filesystem::create_symlink(theirs, dir.file(name));
        ASSERT_EQ(::lchown(dir.file(name).c_str(), 1234, 1234), 0);
    }
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Lost);
    std::filesystem::remove(dir.file("Reader-Log.txt"));
    baseLogOfSize(102401);
    EXPECT_EQ(log.Write(0, "m", "f"), LogWrite::Lost);
    EXPECT_EQ(dir.read("theirs.txt"), "theirs");
    EXPECT_FALSE(exists("successcounter.txt"));
}

} // namespace

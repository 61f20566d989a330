// The Win32 side of the platform layer: saving (the new bytes arrive whole or the old file stays as
// it was, and no temporary file is left beside it either way), paths and directories with names in
// any script, and where the program and the user's data live.
#include "platform/directories.h"
#include "platform/file_access.h"
#include "platform/instance_lock.h"
#include "platform/output_file.h"
#include "platform/path_conventions.h"
#include "platform/user_directories.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <memory>

namespace {

struct SaveCase {
    const char* name;
    const char* before; // content of the target before, nullptr for none
    bool readOnly;
    bool directory;
    const char* bytes;
    SaveStatus expected;
};

class WindowsSave : public testing::TestWithParam<SaveCase> {};

std::size_t entriesIn(const std::string& directory) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) {
        ++count;
    }
    return count;
}

TEST_P(WindowsSave, KeepsTheOldFileUnlessTheNewBytesArrivedWhole) {
    const SaveCase& row = GetParam();
    const TempDir dir;
    const std::string target = dir.file("out.txt");
    if (row.directory) {
        std::filesystem::create_directory(target);
    } else if (row.before != nullptr) {
        dir.write("out.txt", row.before);
    }
    if (row.readOnly) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_EQ(saveWholeFile(target, row.bytes, ExistingFile::Replace), row.expected);
    EXPECT_EQ(isReadOnlyFile(target), row.readOnly);
    if (row.readOnly) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (!row.directory) {
        const bool saved = row.expected == SaveStatus::Saved;
        EXPECT_EQ(dir.read("out.txt"), saved ? row.bytes : row.before != nullptr ? row.before : "");
    }
    EXPECT_EQ(entriesIn(dir.path()),
              row.before != nullptr || row.directory || row.expected == SaveStatus::Saved ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsSave,
    testing::Values(SaveCase{"NewFile", nullptr, false, false, "plain text\r\n", SaveStatus::Saved},
                    SaveCase{"ReplacesOldFile", "old and longer content", false, false, "new",
                             SaveStatus::Saved},
                    SaveCase{"ReadOnlyStays", "old", true, false, "new", SaveStatus::Failed},
                    SaveCase{"DirectoryStays", nullptr, false, true, "new", SaveStatus::Failed},
                    SaveCase{"NothingToSave", "old", false, false, "", SaveStatus::DiskFull},
                    SaveCase{"NothingToSaveNoOld", nullptr, false, false, "", SaveStatus::DiskFull}),
    [](const testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

// The attributes stay (Wine keeps no creation time to compare); a staging file left by an ended
// process goes before the next save, one that a process holds open stays.
TEST(WindowsSave, ReplacingKeepsWhatReplaceFileKeepsAndClearsAbandonedStagingFiles) {
    const TempDir dir;
    const std::string target = dir.write("out.txt", "old");
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    const std::string abandoned = dir.write(".quillbox-4294967292-1.tmp", "plain");
    const std::string heldPath = dir.write(".quillbox-4294967292-2.tmp", "plain");
    const HANDLE held = CreateFileA(heldPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(removeAbandonedStagingFiles(target), 1);
    CloseHandle(held);
    EXPECT_EQ(saveWholeFile(target, "new", ExistingFile::Replace), SaveStatus::Saved);
    EXPECT_EQ(dir.read("out.txt"), "new");
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_FALSE(platform::exists(abandoned));
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(WindowsSave, RefusesAFolderThatIsNotThere) {
    const TempDir dir;
    EXPECT_EQ(saveWholeFile(dir.file("missing\\out.txt"), "bytes", ExistingFile::Replace),
              SaveStatus::Failed);
    EXPECT_EQ(entriesIn(dir.path()), 0u);
}

struct PathCase {
    const char* given;
    const char* absolute;
};

class WindowsAbsolutePath : public testing::TestWithParam<PathCase> {};

TEST_P(WindowsAbsolutePath, ResolvesDotsAndWritesBackslashes) {
    EXPECT_EQ(platform::absolutePath(GetParam().given), GetParam().absolute);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsAbsolutePath,
    testing::Values(PathCase{"C:\\a\\..\\b\\c.qsig", "C:\\b\\c.qsig"}, PathCase{"C:/a/./b", "C:\\a\\b"},
                    PathCase{"Z:\\dossier-\xC3\xA9t\xC3\xA9\\r\xC3\xA9sum\xC3\xA9.qsig",
                             "Z:\\dossier-\xC3\xA9t\xC3\xA9\\r\xC3\xA9sum\xC3\xA9.qsig"}));

TEST(WindowsAbsolutePath, PutsTheWorkingDirectoryBeforeARelativeName) {
    const std::string absolute = platform::absolutePath("x.qsig");
    EXPECT_EQ(absolute, std::filesystem::current_path().string() + "\\x.qsig");
}

TEST(WindowsPaths, EitherCharacterEndsADirectory) {
    EXPECT_EQ(platform::lastSeparator("C:\\a/b"), 4u);
    EXPECT_EQ(platform::lastSeparator("C:/a\\b"), 4u);
    EXPECT_EQ(platform::lastSeparator("name.qsig"), std::string::npos);
    EXPECT_EQ(platform::directorySeparator(), '\\');
    EXPECT_EQ(platform::rootPath(), "C:\\");
}

TEST(WindowsDirectories, MakesNestedDirectoriesWithNamesInAnyScript) {
    const TempDir dir;
    const std::string nested =
        platform::absolutePath(dir.path()) + "\\\xC3\xA9t\xC3\xA9\\\xE6\x97\xA5\xE6\x9C\xAC";
    EXPECT_FALSE(platform::exists(nested));
    EXPECT_TRUE(platform::createDirectories(nested));
    EXPECT_TRUE(platform::exists(nested));
    EXPECT_TRUE(platform::isReadable(nested));
    EXPECT_TRUE(platform::isWritable(nested));
    EXPECT_EQ(saveWholeFile(nested + "\\n.txt", "bytes", ExistingFile::Replace), SaveStatus::Saved);
    EXPECT_EQ(saveWholeFile(nested + "\\n.txt", "other", ExistingFile::Keep), SaveStatus::Exists);
    EXPECT_TRUE(platform::isReadable(nested + "\\n.txt"));
}

TEST(WindowsDirectories, TakeANewFileOnlyWhereOneCanBeMade) {
    const TempDir dir;
    const std::string plainFile = dir.write("plain-file", "x");
    EXPECT_TRUE(platform::isWritable(plainFile));
    EXPECT_FALSE(platform::canCreateFileIn(plainFile));
    EXPECT_FALSE(platform::canCreateFileIn(dir.file("missing")));
    EXPECT_TRUE(platform::canCreateFileIn(dir.path()));
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(WindowsInstanceLock, OnlyTheFirstHoldsItUntilItLetsGo) {
    const std::string name = "quillbox-test-" + std::to_string(GetCurrentProcessId());
    auto first = std::make_unique<platform::InstanceLock>(name);
    EXPECT_TRUE(first->held());
    EXPECT_FALSE(platform::InstanceLock(name).held());
    first.reset();
    EXPECT_TRUE(platform::InstanceLock(name).held());
}

TEST(WindowsDirectories, NameTheProgramsAndTheUsersPlaces) {
    const std::string program = platform::executableDirectory();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '\\');
    EXPECT_TRUE(platform::exists(program + "win32_platform_test.exe"));
    const std::string data = platform::userDataDirectory();
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.back(), '\\');
    EXPECT_TRUE(platform::isWritable(data));
}

} // namespace

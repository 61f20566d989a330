// Saving on Windows: the new bytes arrive whole or the old file stays as it was, and no temporary
// file is left beside it either way.
#include "platform/file_save.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

namespace {

using platform::SaveStatus;

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
    EXPECT_EQ(platform::saveWholeFile(target, row.bytes), row.expected);
    EXPECT_EQ(platform::isReadOnlyFile(target), row.readOnly);
    if (row.readOnly) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    if (!row.directory) {
        const bool saved = row.expected == SaveStatus::Saved;
        EXPECT_EQ(dir.read("out.txt"), saved ? row.bytes : row.before != nullptr ? row.before : "");
    }
    EXPECT_EQ(entriesIn(dir.path()), row.before != nullptr || row.directory || row.expected == SaveStatus::Saved ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsSave,
    testing::Values(SaveCase{"NewFile", nullptr, false, false, "plain text\r\n", SaveStatus::Saved},
                    SaveCase{"ReplacesOldFile", "old and longer content", false, false, "new", SaveStatus::Saved},
                    SaveCase{"ReadOnlyStays", "old", true, false, "new", SaveStatus::Failed},
                    SaveCase{"DirectoryStays", nullptr, false, true, "new", SaveStatus::Failed},
                    SaveCase{"NothingToSave", "old", false, false, "", SaveStatus::DiskFull},
                    SaveCase{"NothingToSaveNoOld", nullptr, false, false, "", SaveStatus::DiskFull}),
    [](const testing::TestParamInfo<SaveCase>& info) { return info.param.name; });

TEST(WindowsSave, RefusesAFolderThatIsNotThere) {
    const TempDir dir;
    EXPECT_EQ(platform::saveWholeFile(dir.file("missing\\out.txt"), "bytes"), SaveStatus::Failed);
    EXPECT_EQ(entriesIn(dir.path()), 0u);
}

} // namespace

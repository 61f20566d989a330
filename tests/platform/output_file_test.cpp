// Saving a whole file: what a replaced file keeps (owner, mode, links, attributes), where links
// lead, and what a stop in the middle leaves.
#include "platform/output_file.h"

#include "platform/work_progress.h"
#include "support/child_process.h"
#include "support/folder_that_keeps_names.h"
#include "support/simulated_file_system.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <tuple>

using ::testing::ElementsAre;

namespace {

struct stat statusOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status;
}

// A stop asked for while the content is written ends a staged save with the old file whole and no
// staged file left; a save that must write over the file in place finishes, as stopping it halfway
// would lose the old content.
TEST(SaveWholeFile, AStopEndsAStagedSaveButNeverAnInPlaceOne) {
    const TempDir dir;
    const std::string old(100, 'o');
    const std::string content(workBlockSize * 2 + 1, 'n');
    WorkProgress progress;
    progress.requestStop();
    const WorkPass saving(WorkStage::Saving, content.size());

    dir.write("a.txt", old);
    EXPECT_EQ(saveWholeFile(dir.file("a.txt"), content, ExistingFile::Replace), SaveStatus::Failed);
    EXPECT_EQ(dir.read("a.txt"), old);
    EXPECT_THAT(namesIn(dir.path()), ElementsAre("a.txt"));

    ASSERT_EQ(::link(dir.file("a.txt").c_str(), dir.file("b.txt").c_str()), 0);
    EXPECT_EQ(saveWholeFile(dir.file("a.txt"), content, ExistingFile::Replace), SaveStatus::Saved);
    EXPECT_EQ(dir.read("b.txt"), content);
}

TEST(SaveWholeFile, FollowsASymbolicLinkToItsTarget) {
    TempDir dir;
    const std::string target = dir.write("target.txt", "old");
    std::filesystem::create_symlink(target, dir.file("link.txt"));
    EXPECT_EQ(saveWholeFile(dir.file("link.txt"), "new", ExistingFile::Replace), SaveStatus::Saved);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
    EXPECT_EQ(dir.read("target.txt"), "new");
}

TEST(SaveWholeFile, SavesANameAtTheFileSystemsLengthLimit) {
    TempDir dir;
    const std::string longest(255, 'n');
    EXPECT_EQ(saveWholeFile(dir.file(longest), "bytes", ExistingFile::Replace), SaveStatus::Saved);
    EXPECT_EQ(dir.read(longest), "bytes");
}

// What a save must leave of the file it replaces, in situations a rename cannot handle by itself.
struct ReplaceCase {
    const char* name;
    bool asNobody;        // run the save as an unprivileged user (needs root to set up)
    mode_t directoryMode; // of the directory that holds the output
    // Makes the output in directory and returns the path to save to.
    std::function<std::string(const std::string& directory)> prepare;
    // Checks what was saved; returns what is wrong, or nothing.
    std::function<std::string(const std::string& directory)> check;
    SaveStatus expected = SaveStatus::Saved;
    std::size_t leftOver = 0; // hidden files the save may leave
};

std::string fileAt(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string expect(bool condition, const std::string& otherwise) {
    return condition ? std::string() : otherwise;
}

const uid_t nobody = 65534;

void setOwnerAndMode(const std::string& path, uid_t owner, gid_t group, mode_t mode) {
    if (::chown(path.c_str(), owner, group) != 0 || ::chmod(path.c_str(), mode) != 0) {
        throw std::runtime_error("cannot set the owner of " + path);
    }
}

// directory/a.txt holding "old", writable by everyone.
std::string worldWritableOldFile(const std::string& directory) {
    const std::string path = directory + "/a.txt";
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), 0666);
    return path;
}

// The hidden files in directory.
std::vector<std::string> hiddenIn(const std::string& directory) {
    std::vector<std::string> hidden = namesIn(directory);
    std::erase_if(hidden, [](const std::string& name) { return name[0] != '.'; });
    return hidden;
}

// Each case on each road a file system can send a save down.
class ReplacingAFile : public ::testing::TestWithParam<std::tuple<ReplaceCase, const char*>> {
protected:
    const ReplaceCase& GetParam() const { return std::get<0>(TestWithParam::GetParam()); }
    const SimulatedFileSystem fileSystem{std::get<1>(TestWithParam::GetParam())};
};

TEST_P(ReplacingAFile, KeepsWhatTheFileWasAndTakesTheNewContent) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "setting owners and dropping privileges needs root";
    }
    TempDir dir;
    const std::string directory = dir.file("out");
    std::filesystem::create_directory(directory);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(directory.c_str(), GetParam().directoryMode), 0);
    const std::string path = GetParam().prepare(directory);
    const auto save = [&]() -> std::string {
        return expect(saveWholeFile(path, "new content", ExistingFile::Replace) == GetParam().expected,
                      "not as expected");
    };
    EXPECT_EQ(GetParam().asNobody ? runUnprivileged(save) : save(), "");
    EXPECT_EQ(GetParam().check(directory), "");
    EXPECT_LE(hiddenIn(directory).size(), GetParam().leftOver);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplacingAFile,
    ::testing::Combine(
        ::testing::Values(
            ReplaceCase{"OwnerGroupModeAndAttributes", false, 0755,
                        [](const std::string& directory) {
                            const std::string path = directory + "/a.txt";
                            std::ofstream(path) << "old";
                            setOwnerAndMode(path, 1234, 5678, 0640);
                            ::setxattr(path.c_str(), "user.origin", "kept", 4, 0);
                            return path;
                        },
                        [](const std::string& directory) {
                            const std::string path = directory + "/a.txt";
                            const struct stat status = statusOf(path);
                            char origin[8] = {};
                            return expect(fileAt(path) == "new content", "content") +
                                   expect(status.st_uid == 1234 && status.st_gid == 5678, " owner") +
                                   expect((status.st_mode & 07777) == 0640, " mode") +
                                   expect(::getxattr(path.c_str(), "user.origin", origin, sizeof origin) ==
                                                  4 &&
                                              std::string(origin) == "kept",
                                          " attribute");
                        }},
            ReplaceCase{"HardLinks", false, 0755,
                        [](const std::string& directory) {
                            std::ofstream(directory + "/a.txt") << "old";
                            std::filesystem::create_hard_link(directory + "/a.txt",
                                                              directory + "/other-name.txt");
                            return directory + "/a.txt";
                        },
                        [](const std::string& directory) {
                            return expect(fileAt(directory + "/other-name.txt") == "new content",
                                          "link lost") +
                                   expect(statusOf(directory + "/a.txt").st_nlink == 2, " link count");
                        }},
            // Shared with its group by another owner: replacing it would hand it to the one who saves.
            ReplaceCase{"GroupSharedFileOfAnotherOwner", true, 0777,
                        [](const std::string& directory) {
                            const std::string path = directory + "/a.txt";
                            std::ofstream(path) << "a longer old content";
                            setOwnerAndMode(path, 0, nobody, 0660);
                            return path;
                        },
                        [](const std::string& directory) {
                            const std::string path = directory + "/a.txt";
                            const struct stat status = statusOf(path);
                            return expect(fileAt(path) == "new content", "content") +
                                   expect(status.st_uid == 0 && status.st_gid == nobody, " owner") +
                                   expect((status.st_mode & 07777) == 0660, " mode");
                        }},
            ReplaceCase{"WritableFileInAReadOnlyDirectory", true, 0555, worldWritableOldFile,
                        [](const std::string& directory) {
                            return expect(fileAt(directory + "/a.txt") == "new content", "content");
                        }},
            ReplaceCase{"WritableFileOfAnotherOwnerInAStickyDirectory", true, 01777, worldWritableOldFile,
                        [](const std::string& directory) {
                            return expect(fileAt(directory + "/a.txt") == "new content", "content") +
                                   expect(statusOf(directory + "/a.txt").st_uid == 0, " owner");
                        }},
            // The folder lets no name go: the staged file cannot be renamed or removed, so it is left
            // empty, already what the old file was; the old file stays as it was.
            ReplaceCase{"FolderThatKeepsEveryNameLeavesOnlyAnEmptyStagingFile", false, 0755,
                        [](const std::string& directory) {
                            const std::string path = directory + "/a.txt";
                            std::ofstream(path) << "old";
                            setOwnerAndMode(path, 1234, 5678, 0640);
                            if (!keepEveryName(directory, true)) {
                                throw std::runtime_error("cannot make the folder keep its names");
                            }
                            return path;
                        },
                        [](const std::string& directory) {
                            keepEveryName(directory, false);
                            std::string wrong = expect(fileAt(directory + "/a.txt") == "old", "old file");
                            for (const std::string& name : hiddenIn(directory)) {
                                const struct stat left = statusOf(directory + "/" + name);
                                wrong += expect(left.st_size == 0, " content left") +
                                         expect(left.st_uid == 1234 && (left.st_mode & 07777) == 0640,
                                                " attributes given after the name");
                            }
                            return wrong;
                        },
                        SaveStatus::EmptyStagingFileLeft, 1},
            ReplaceCase{"DanglingLinkCreatesTheFileItNames", true, 0777,
                        [](const std::string& directory) {
                            std::filesystem::create_symlink("named.txt", directory + "/link.txt");
                            return directory + "/link.txt";
                        },
                        [](const std::string& directory) {
                            return expect(fileAt(directory + "/named.txt") == "new content", "content") +
                                   expect(std::filesystem::is_symlink(directory + "/link.txt"), " link");
                        }},
            // Planted in a directory like /tmp by a user other than the directory's owner and the saver.
            ReplaceCase{"LinkOfAnotherUserInAStickyDirectoryIsNotFollowed", false, 01777,
                        [](const std::string& directory) {
                            std::filesystem::create_symlink("named.txt", directory + "/link.txt");
                            if (::lchown((directory + "/link.txt").c_str(), 1234, 1234) != 0) {
                                throw std::runtime_error("cannot set the owner of the link");
                            }
                            return directory + "/link.txt";
                        },
                        [](const std::string& directory) {
                            return expect(!std::filesystem::exists(directory + "/named.txt"), "followed");
                        },
                        SaveStatus::Failed},
            // The same for a link that stands for a directory on the way.
            ReplaceCase{"DirectoryLinkOfAnotherUserInAStickyDirectoryIsNotFollowed", false, 01777,
                        [](const std::string& directory) {
                            std::filesystem::create_directory(directory + "/theirs");
                            std::filesystem::create_directory_symlink("theirs", directory + "/link");
                            if (::lchown((directory + "/link").c_str(), 1234, 1234) != 0) {
                                throw std::runtime_error("cannot set the owner of the link");
                            }
                            return directory + "/link/named.txt";
                        },
                        [](const std::string& directory) {
                            return expect(!std::filesystem::exists(directory + "/theirs/named.txt"),
                                          "followed");
                        },
                        SaveStatus::Failed},
            ReplaceCase{"LinkOfTheDirectorysOwnerInAStickyDirectoryIsFollowed", true, 01777,
                        [](const std::string& directory) {
                            std::filesystem::create_symlink("named.txt", directory + "/link.txt");
                            return directory + "/link.txt";
                        },
                        [](const std::string& directory) {
                            return expect(fileAt(directory + "/named.txt") == "new content", "content");
                        }}),
        ::testing::Values("", "no-unnamed-files", "no-hard-links no-exclusive-rename", "no-space-reservation",
                          "copy-on-write")),
    [](const auto& info) {
        std::string name = std::get<0>(info.param).name;
        for (const char* road = std::get<1>(info.param); *road != '\0'; ++road) {
            name += std::isalpha(static_cast<unsigned char>(*road)) != 0 ? *road : '_';
        }
        return name;
    });

} // namespace

#include "pipeline/app_paths.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

// Sets or clears one environment entry for the test's length and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    ~ScopedEnv() { set(old_); }

private:
    void set(const std::optional<std::string>& value) const {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

class AppPathsTest : public ::testing::Test {
protected:
    TempDir dir;
    // Every lookup stays inside the temporary directory.
    ScopedEnv home{"HOME", dir.file("home")};
    ScopedEnv xdg{"XDG_DATA_HOME", std::nullopt};
    ScopedEnv quillboxHome{"QUILLBOX_HOME", std::nullopt};
    // Where the install puts the programs; a directory no case runs from.
    const std::string installed = "/opt/quillbox-reader/bin";
};

TEST_F(AppPathsTest, QuillboxHomeWinsAndIsCreated) {
    ScopedEnv chosen("QUILLBOX_HOME", dir.file("chosen/deep"));
    const AppPaths paths = resolveAppPaths(dir.path(), installed);
    EXPECT_EQ(paths.directory, dir.file("chosen/deep/"));
    EXPECT_TRUE(std::filesystem::is_directory(paths.directory));
    EXPECT_EQ(paths.logPath(), dir.file("chosen/deep/Reader-Log.txt"));
    EXPECT_EQ(paths.keyNoticeMarkerPath(), dir.file("chosen/deep/askag"));
}

TEST_F(AppPathsTest, WritableExecutableDirectoryIsUsed) {
    EXPECT_EQ(resolveAppPaths(dir.path(), installed).directory, dir.path() + "/");
    EXPECT_EQ(resolveAppPaths(dir.path() + "/", installed).directory, dir.path() + "/");
}

TEST_F(AppPathsTest, SystemProgramDirectoryIsNeverUsedEvenWhenWritable) {
    // Root can write to /usr/bin; an installed program must still keep its log per user.
    for (const char* system : {"/usr/bin", "/usr/local/bin/", "/bin"}) {
        EXPECT_EQ(resolveAppPaths(system, installed).directory,
                  dir.file("home/.local/share/quillbox-reader/"))
            << system;
    }
    // Nor is the install's own program directory, wherever the install put it.
    std::filesystem::create_directories(dir.file("prefix/bin"));
    EXPECT_EQ(resolveAppPaths(dir.file("prefix/bin/"), dir.file("prefix/bin")).directory,
              dir.file("home/.local/share/quillbox-reader/"));
}

TEST_F(AppPathsTest, DirectoryThatTakesNoNewFileFallsBackToTheUserDataDirectory) {
    // A missing directory, and a path that the permission check calls writable but that holds no
    // file (a regular file standing where the directory should be).
    for (const std::string& unusable : {dir.file("not-there"), dir.write("plain-file", "x")}) {
        const AppPaths paths = resolveAppPaths(unusable, installed);
        EXPECT_EQ(paths.directory, dir.file("home/.local/share/quillbox-reader/")) << unusable;
        EXPECT_TRUE(std::filesystem::is_directory(paths.directory));
    }
    // The trial leaves nothing behind in a directory it accepts.
    resolveAppPaths(dir.path(), installed);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2); // home/, plain-file
}

TEST_F(AppPathsTest, XdgDataHomeIsHonouredWhenAbsolute) {
    {
        ScopedEnv data("XDG_DATA_HOME", dir.file("data"));
        EXPECT_EQ(resolveAppPaths("", installed).directory, dir.file("data/quillbox-reader/"));
    }
    ScopedEnv relative("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(resolveAppPaths("", installed).directory, dir.file("home/.local/share/quillbox-reader/"));
}

} // namespace

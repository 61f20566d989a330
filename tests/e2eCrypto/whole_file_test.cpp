#include "e2eCrypto/whole_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

namespace {

TEST(ReadWholeFile, GivesEveryByteZerosIncluded) {
    const TempDir dir;
    std::string bytes("\0head\r\n\0\xff", 9);
    bytes += std::string(100000, '\0') + "tail";
    std::string content = "left over";
    ASSERT_TRUE(ReadWholeFile(dir.write("data.qsig", bytes), content));
    EXPECT_EQ(content, bytes);
}

TEST(ReadWholeFile, FollowsASymbolicLink) {
    const TempDir dir;
    const std::string target = dir.write("target", "linked");
    ASSERT_EQ(::symlink(target.c_str(), dir.file("link").c_str()), 0);
    std::string content;
    EXPECT_TRUE(ReadWholeFile(dir.file("link"), content));
    EXPECT_EQ(content, "linked");
}

// A document whose armour cannot be decoded as it is read is read again, and one that is no armour is
// read on past its start: its bytes, as they are.
TEST(DocumentFile, ReadsTheArmourDecodedOrElseTheWholeText) {
    const TempDir dir;
    const std::string bad = "-----BEGIN PKCS7-----TWFu\r\n-----END PKCS7-----TW*u";
    const std::string notArmour = "-----BEGIN PKCS8-----TWFu\r\n-----END PKCS7-----TWFu";
    for (const std::string& bytes : {bad.substr(0, 46), bad, notArmour}) {
        DocumentFile file;
        std::string content;
        ASSERT_TRUE(file.open(dir.write("doc.qsig", bytes), content));
        EXPECT_EQ(file.size(), bytes.size());
        const bool decodes = bytes.size() == 46;
        EXPECT_EQ(file.readDecoding(content, 5).has_value(), decodes);
        EXPECT_EQ(content, decodes ? "Man" : bytes);
    }
}

struct UnreadableCase {
    const char* name;
    std::function<std::string(const TempDir&)> makePath;
};

class UnreadableFile : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableFile, GivesFalseAndEmptyContent) {
    const TempDir dir;
    const std::string path = GetParam().makePath(dir);
    std::string content = "stale content";
    EXPECT_FALSE(ReadWholeFile(path, content));
    EXPECT_TRUE(content.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableFile,
    ::testing::Values(UnreadableCase{"ZeroLength", [](const TempDir& dir) { return dir.write("empty", ""); }},
                      UnreadableCase{"Missing", [](const TempDir& dir) { return dir.file("missing"); }},
                      UnreadableCase{"EmptyPath", [](const TempDir&) { return std::string(); }},
                      UnreadableCase{"Directory", [](const TempDir& dir) { return dir.path(); }},
                      UnreadableCase{"DanglingLink",
                                     [](const TempDir& dir) {
                                         const std::string link = dir.file("dangling");
                                         EXPECT_EQ(::symlink(dir.file("nowhere").c_str(), link.c_str()), 0);
                                         return link;
                                     }},
                      UnreadableCase{"InsideAFile",
                                     [](const TempDir& dir) { return dir.write("plain", "x") + "/child"; }}),
    [](const ::testing::TestParamInfo<UnreadableCase>& info) { return std::string(info.param.name); });

TEST(ReadWholeFile, PermissionDeniedIsUnreadable) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files whatever their permissions";
    }
    const TempDir dir;
    const std::string path = dir.write("locked", "secret");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    std::string content = "stale";
    EXPECT_FALSE(ReadWholeFile(path, content));
    EXPECT_TRUE(content.empty());
}

// A FIFO has no writer here; opening it for reading would wait for one.
TEST(ReadWholeFile, FifoIsUnreadableWithoutBlocking) {
    const TempDir dir;
    const std::string path = dir.file("pipe");
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [path] {
        std::string content;
        return ReadWholeFile(path, content);
    });
    if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Release the blocked reader with a writer end, so the test ends instead of hanging.
        const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            ::close(writer);
        }
        FAIL() << "reading a FIFO blocked";
    }
    EXPECT_FALSE(read.get());
}

} // namespace

// Large documents of each kind opened by quillbox-cli: 256 MiB of content always, 1 GiB when
// QUILLBOX_LARGE_TESTS=1. The saved content must be the document's byte for byte, the program's peak
// memory must stay under three times the document's size, and when memory runs out the program
// must say so and end by itself rather than crash.
#include "support/child_process.h"
#include "support/document_writer.h"
#include "support/job_harness.h"
#include "support/nss_test_store.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif
#else
constexpr bool sanitized = false;
#endif

enum class Kind { Signed, PassPhrase, Certificate };

const std::string passPhrase = "large pass phrase";

std::string contentOf(std::size_t size) {
    std::string content(size, '\0');
    std::uint64_t state = 0x2545F4914F6CDD1DULL;
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        for (std::size_t j = 0; j < 8; ++j) {
            content[i + j] = static_cast<char>(state >> (8 * j));
        }
    }
    return content;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes the document of kind over mebibytes of content to dir/doc.qsig (and the pass-phrase file or
// the store it needs) and returns the command line that opens it into dir/doc.txt and the
// document's size. Nothing large stays in memory here once it returns.
std::pair<std::vector<std::string>, std::size_t> prepare(Kind kind, std::size_t mebibytes,
                                                         const TempDir& dir) {
    std::vector<std::string> command = {
        cliProgramPath(), "open", "--yes", "--app-dir", dir.file("app"), "-o", dir.file("doc.txt")};
    std::size_t size = 0;
    {
        const std::string content = contentOf(mebibytes << 20);
        std::string document;
        switch (kind) {
        case Kind::Signed:
            document = testdoc::signedLayer(content, testSigner());
            break;
        case Kind::PassPhrase:
            document = testdoc::symmetricLayer(content, passPhrase);
            break;
        case Kind::Certificate:
            document = testdoc::asymmetricLayer(content, testRecipient().certificate.get());
            break;
        }
        size = document.size();
        dir.write("doc.qsig", document);
    }
    if (kind == Kind::PassPhrase) {
        command.insert(command.end(), {"--passphrase-file", dir.write("phrase.txt", passPhrase + "\n")});
    }
    if (kind == Kind::Certificate) {
        const std::string store = dir.file("store");
        ::mkdir(store.c_str(), 0700);
        NssTestStore(store).importPkcs12(testdoc::pkcs12(testRecipient()));
        command.insert(command.end(), {"--store", store});
    }
    command.push_back(dir.file("doc.qsig"));
    return {command, size};
}

struct LargeCase {
    const char* name;
    Kind kind;
    std::size_t mebibytes;
};

class LargeDocumentTest : public testing::TestWithParam<LargeCase> {
protected:
    void SetUp() override {
        const char* enabled = std::getenv("QUILLBOX_LARGE_TESTS");
        if (GetParam().mebibytes > 256 && (enabled == nullptr || std::string(enabled) != "1")) {
            GTEST_SKIP() << "1 GiB documents run with QUILLBOX_LARGE_TESTS=1";
        }
    }
};

TEST_P(LargeDocumentTest, SavesTheWholeContentWithinThreeTimesTheDocumentInMemory) {
    const LargeCase& c = GetParam();
    TempDir dir;
    const auto [command, documentSize] = prepare(c.kind, c.mebibytes, dir);
    const ChildEnd end = runProgram(command, dir.path());
    ASSERT_EQ(end.exitStatus, 0) << dir.read(".stderr");
    const std::string saved = readFile(dir.file("doc.txt"));
    EXPECT_EQ(saved.size(), c.mebibytes << 20);
    EXPECT_TRUE(saved == contentOf(c.mebibytes << 20)) << "the saved content differs";
    const double peakMiB = static_cast<double>(end.peakKiB) / 1024;
    const double documentMiB = static_cast<double>(documentSize) / (1 << 20);
    RecordProperty("peak_MiB", std::to_string(peakMiB));
    RecordProperty("document_MiB", std::to_string(documentMiB));
    std::cout << c.name << ": document " << documentMiB << " MiB, peak memory " << peakMiB << " MiB ("
              << peakMiB / documentMiB << " times the document)\n";
    if (!sanitized) { // the sanitizer's own memory would count too
        EXPECT_LT(peakMiB, 3 * documentMiB);
    }
}

INSTANTIATE_TEST_SUITE_P(Documents, LargeDocumentTest,
                         testing::Values(LargeCase{"Signed256MiB", Kind::Signed, 256},
                                         LargeCase{"PassPhrase256MiB", Kind::PassPhrase, 256},
                                         LargeCase{"Certificate256MiB", Kind::Certificate, 256},
                                         LargeCase{"Signed1GiB", Kind::Signed, 1024},
                                         LargeCase{"PassPhrase1GiB", Kind::PassPhrase, 1024},
                                         LargeCase{"Certificate1GiB", Kind::Certificate, 1024}),
                         [](const testing::TestParamInfo<LargeCase>& info) { return info.param.name; });

// With less address space than the document needs, each step that runs out must report it in its own
// words and the program must end with status 1; with enough, the content is saved whole.
class OutOfMemoryTest : public testing::TestWithParam<Kind> {};

TEST_P(OutOfMemoryTest, IsReportedAndNeverACrash) {
    if (sanitized) {
        GTEST_SKIP() << "the sanitizer reserves more address space than any limit here allows";
    }
    constexpr std::size_t mebibytes = 64;
    TempDir dir;
    const auto [command, documentSize] = prepare(GetParam(), mebibytes, dir);
    const std::set<std::string> outOfMemory = {"quillbox: warning: Could not read input file",
                                               "quillbox: error: Insufficient System Memory"};
    for (const rlim_t limitMiB : {90, 120, 150, 260}) {
        SCOPED_TRACE("address space " + std::to_string(limitMiB) + " MiB");
        const ChildEnd end = runProgram(command, dir.path(), [limitMiB] {
            const rlimit limit{limitMiB << 20, limitMiB << 20};
            ::setrlimit(RLIMIT_AS, &limit);
        });
        const std::string errors = dir.read(".stderr");
        ASSERT_EQ(end.signal, 0) << errors;
        if (end.exitStatus == 0) {
            EXPECT_TRUE(readFile(dir.file("doc.txt")) == contentOf(mebibytes << 20));
            continue;
        }
        EXPECT_EQ(end.exitStatus, 1);
        std::string lastLine = errors.substr(0, errors.find_last_not_of('\n') + 1);
        lastLine = lastLine.substr(lastLine.rfind('\n') + 1);
        EXPECT_TRUE(outOfMemory.count(lastLine) == 1) << errors;
    }
}

std::string kindName(const testing::TestParamInfo<Kind>& info) {
    switch (info.param) {
    case Kind::Signed:
        return "Signed";
    case Kind::PassPhrase:
        return "PassPhrase";
    case Kind::Certificate:
        return "Certificate";
    }
    return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutOfMemoryTest,
                         testing::Values(Kind::Signed, Kind::PassPhrase, Kind::Certificate), kindName);

} // namespace

// quillbox-cli meeting faults from outside the program: the disk fills while it saves, it is killed
// in the middle of a save (or stopped there with Ctrl-C), and its CA certificate directory holds a
// FIFO under a certificate's name.
// The old output must stay whole, nothing short may take its place, and nothing may hang.
#include "support/child_process.h"
#include "support/document_writer.h"
#include "support/job_harness.h"
#include "support/temp_dir.h"
#include "support/text_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

using ::testing::ElementsAre;
using ::testing::IsSupersetOf;

namespace {

const std::string oldOutput = "the old output, which must survive";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> temporaryFilesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().extension() == ".tmp") {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 2654435761U) >> 13);
    }
    return bytes;
}

// The document in dir/doc.qsig, an old output in dir/doc.txt, and the command that opens the one
// over the other.
std::vector<std::string> openOverOldOutput(const TempDir& dir, const std::string& document) {
    dir.write("doc.qsig", document);
    dir.write("doc.txt", oldOutput);
    return {cliProgramPath(),    "open", "--yes", "--app-dir", dir.file("app"), "-o", dir.file("doc.txt"),
            dir.file("doc.qsig")};
}

TEST(FullDisk, KeepsTheOldOutputAndLeavesNoShortFile) {
    TempDir dir;
    const std::vector<std::string> command =
        openOverOldOutput(dir, testdoc::signedLayer(patterned(1 << 20), testSigner()));
    // SIGXFSZ keeps its default action: the program itself must turn the limit into a failed write.
    const ChildEnd end = runProgram(command, dir.path(), [] {
        const rlimit limit{256 << 10, 256 << 10}; // the log stays far below it
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(end.exitStatus, 1);
    EXPECT_THAT(linesOf(dir.read(".stderr")),
                IsSupersetOf({"quillbox: warning: Insufficient hard disk space",
                              "quillbox: error: Could not save file. Check file properties of the file being "
                              "overwritten."}));
    EXPECT_EQ(readFile(dir.file("doc.txt")), oldOutput);
    EXPECT_THAT(temporaryFilesIn(dir.path()), ElementsAre());
    EXPECT_NE(readFile(dir.file("app/Reader-Log.txt")).find("\tFailed to save to output file\t"),
              std::string::npos);
}

// The descriptor through which the child writes a staged output in directory: an unnamed file shows
// as "directory/#inode (deleted)", a named one as a hidden ".tmp" file. Empty when there is none.
std::string stagedOutputOf(pid_t child, const std::string& directory) {
    std::error_code error;
    for (const auto& fd :
         std::filesystem::directory_iterator("/proc/" + std::to_string(child) + "/fd", error)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
        if (target.rfind(directory + "/#", 0) == 0 || target.rfind(directory + "/.quillbox-", 0) == 0) {
            return fd.path().string();
        }
    }
    return {};
}

struct KillCase {
    const char* name;
    int signal;
    double writtenShare; // how much of the content the staged output holds when the signal is sent
    bool named = false;  // staged under a hidden name, as on a file system without unnamed files
    // Ctrl-C does not kill: it stops the work between blocks, and the program exits with 130.
    bool stopsTheWork = false;
};

bool endedBy(const ChildEnd& end, const KillCase& c) {
    return c.stopsTheWork ? end.exitStatus == 130 : end.signal == c.signal;
}

class KilledDuringTheSave : public testing::TestWithParam<KillCase> {};

// Whatever the moment and the signal, the directory holds the document, the old output (or, when the
// child finished first, the whole content) and nothing else: no decrypted byte outside the output.
// A child that finishes first has saved the whole content; a few tries make the kill land mid-save.
TEST_P(KilledDuringTheSave, LeavesTheOldOutputWholeAndNothingElse) {
    const std::string content = patterned(std::size_t{96} << 20);
    const std::string document = testdoc::signedLayer(content, testSigner());
    bool killedMidSave = false;
    for (int attempt = 0; attempt < 5 && !killedMidSave; ++attempt) {
        TempDir dir;
        const pid_t child =
            startProgram(openOverOldOutput(dir, document), dir.path(), [named = GetParam().named] {
                const rlimit noCore{0, 0};
                ::setrlimit(RLIMIT_CORE, &noCore);
                if (named) {
                    ::setenv("QUILLBOX_FILE_SYSTEM", "no-unnamed-files", 1);
                }
            });
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            const std::string staged = stagedOutputOf(child, dir.path());
            struct stat written {};
            if (!staged.empty() && ::stat(staged.c_str(), &written) == 0 &&
                static_cast<double>(written.st_size) >=
                    GetParam().writtenShare * static_cast<double>(content.size())) {
                ::kill(child, GetParam().signal);
                killedMidSave = endedBy(waitForChild(child), GetParam());
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        const std::string saved = readFile(dir.file("doc.txt"));
        EXPECT_TRUE(saved == oldOutput || saved == content)
            << "the output holds " << saved.size() << " bytes, neither the old output nor the whole content";
        if (killedMidSave) {
            EXPECT_EQ(saved, oldOutput);
        }
        if (killedMidSave && GetParam().stopsTheWork) {
            EXPECT_NE(readFile(dir.file("app/Reader-Log.txt")).find("\tProcessing cancelled\t"),
                      std::string::npos);
        }
        if (killedMidSave && GetParam().named && GetParam().signal == SIGKILL) {
            // Only its owner may read what SIGKILL left, and the next start removes it, even when it
            // saves into another folder.
            const std::vector<std::string> left = temporaryFilesIn(dir.path());
            ASSERT_EQ(left.size(), 1U);
            struct stat leftOver {};
            ::stat(dir.file(left[0]).c_str(), &leftOver);
            EXPECT_EQ(leftOver.st_mode & 0777, 0600U);
            std::filesystem::create_directory(dir.file("elsewhere"));
            std::vector<std::string> again = openOverOldOutput(dir, document);
            *std::find(again.begin(), again.end(), dir.file("doc.txt")) = dir.file("elsewhere/doc.txt");
            EXPECT_EQ(runProgram(again, dir.path()).exitStatus, 0);
            EXPECT_THAT(linesOf(dir.read(".stderr")), testing::Contains(testing::StartsWith(
                                                          "quillbox: information: Removed 1 unfinished")));
        }
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(entry.path().filename().string());
        }
        EXPECT_THAT(names,
                    testing::IsSubsetOf({".stdout", ".stderr", "app", "doc.qsig", "doc.txt", "elsewhere"}));
    }
    EXPECT_TRUE(killedMidSave) << "no kill landed during a save";
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledDuringTheSave,
                         testing::Values(KillCase{"KillAtTheStart", SIGKILL, 0.0},
                                         KillCase{"KillHalfway", SIGKILL, 0.5},
                                         KillCase{"TermHalfway", SIGTERM, 0.5},
                                         KillCase{"HangUpAtTheStart", SIGHUP, 0.0},
                                         KillCase{"InterruptHalfway", SIGINT, 0.5, false, true},
                                         KillCase{"KillHalfwayNamed", SIGKILL, 0.5, true},
                                         KillCase{"QuitHalfwayNamed", SIGQUIT, 0.5, true},
                                         KillCase{"User1AtTheStartNamed", SIGUSR1, 0.0, true},
                                         KillCase{"AlarmHalfwayNamed", SIGALRM, 0.5, true},
                                         KillCase{"PipeHalfwayNamed", SIGPIPE, 0.5, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The CA directory is "../../certs" from where the program runs. Its files are named by subject hash.
class CaDirectory : public testing::Test {
protected:
    CaDirectory() {
        std::filesystem::create_directories(dir.file("run/here"));
        std::filesystem::create_directories(dir.file("certs"));
    }

    std::string hashedName(const X509* certificate) const {
        char name[32];
        std::snprintf(name, sizeof name, "%08lx.0",
                      X509_NAME_hash_ex(X509_get_subject_name(certificate), nullptr, nullptr, nullptr));
        return dir.file("certs/") + name;
    }

    // Runs the program on document with a CRL; gives up on it after a minute.
    ChildEnd open(const std::string& document, const std::string& crl) {
        dir.write("doc.qsig", document);
        dir.write("list.crl", crl);
        const pid_t child =
            startProgram({cliProgramPath(), "open", "--yes", "--app-dir", dir.file("app"), "--crl",
                          dir.file("list.crl"), "-o", dir.file("doc.txt"), dir.file("doc.qsig")},
                         dir.file("run/here"));
        return waitForChild(child, std::chrono::minutes(1));
    }

    TempDir dir;
};

// A signer issued by an authority whose certificate is only in the CA directory, and a CRL under the
// authority's name but signed with another key: with the authority's certificate at hand, the CRL's
// signature fails and the revocation status stays unknown; without it, the CRL decides.
TEST_F(CaDirectory, AFifoUnderACertificatesNameIsPassedOverAndARegularFileIsRead) {
    testdoc::CertificateOptions authorityOptions{
        .subject = "/O=Acme Ltd/CN=Acme CA", .serial = 50, .keyIndex = 4, .keyBits = 1024, .isCa = true};
    const testdoc::Identity authority = testdoc::makeIdentity(authorityOptions);
    authorityOptions.keyIndex = 5;
    const testdoc::Identity impostor = testdoc::makeIdentity(authorityOptions);
    const testdoc::Identity signer = testdoc::makeIdentity(
        {.subject = "/O=Acme Ltd/CN=Signer", .serial = 7, .keyIndex = 6, .keyBits = 1024}, &authority);
    const std::string document = testdoc::signedLayer("content\r\n", signer);
    const std::string forgedCrl = testdoc::makeCrl(impostor, {.revokedSerials = {7}});

    ASSERT_EQ(::mkfifo(hashedName(authority.certificate.get()).c_str(), 0644), 0);
    ChildEnd end = open(document, forgedCrl);
    EXPECT_EQ(end.signal, 0) << "the program hung on the FIFO";
    EXPECT_THAT(linesOf(dir.read("run/here/.stdout") + dir.read("run/here/.stderr")),
                testing::Contains("Signer Certificate is REVOKED"));

    std::filesystem::remove(hashedName(authority.certificate.get()));
    std::ofstream(hashedName(authority.certificate.get()))
        << testdoc::certificatePem(authority.certificate.get());
    end = open(document, forgedCrl);
    EXPECT_EQ(end.signal, 0);
    EXPECT_EQ(end.exitStatus, 0) << dir.read("run/here/.stderr");
    EXPECT_THAT(linesOf(dir.read("run/here/.stdout") + dir.read("run/here/.stderr")),
                testing::Contains("Certificate revocation status unknown"));
}

} // namespace

// quillbox-cli run as a person or a script would run it: a fresh process without a terminal,
// checked by the bytes it saves, its exit status and its exact stderr lines.
#include "platform/file_descriptor.h"

#include "support/child_process.h"
#include "support/document_writer.h"
#include "support/job_harness.h"
#include "support/nss_test_store.h"
#include "support/temp_dir.h"
#include "support/text_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <openssl/core_names.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::vector<std::string> errLines;
};

std::string cliPath() {
    const char* binaryDirectory = std::getenv("QUILLBOX_BINARY_DIR");
    return std::string(binaryDirectory != nullptr ? binaryDirectory : ".") + "/src/cli/quillbox-cli";
}

// The program and its arguments as exec wants them; arguments must outlive the result.
std::vector<char*> argvOf(std::vector<std::string>& arguments) {
    arguments.insert(arguments.begin(), cliPath());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    return argv;
}

// A session of its own (so no controlling terminal), stdin from /dev/null unless given, working in dir
// unless an open directory is given.
CliRun runCli(const TempDir& dir, std::vector<std::string> arguments, const std::string& inPath = "/dev/null",
              std::string outPath = {}, int workingDirectory = -1) {
    std::vector<char*> argv = argvOf(arguments);
    outPath = outPath.empty() ? dir.file(".stdout") : outPath;
    const std::string errPath = dir.file(".stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (workingDirectory >= 0) {
        posix_spawn_file_actions_addfchdir_np(&actions, workingDirectory);
    } else {
        posix_spawn_file_actions_addchdir_np(&actions, dir.path().c_str());
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = 0;
    CliRun run;
    if (posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(child, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    run.out = dir.read(".stdout");
    run.errLines = linesOf(dir.read(".stderr"));
    return run;
}

// quillbox-cli open on a pseudo-terminal of its own, as a job under a stand-in shell: typeAhead is
// typed at once, answer when prompt shows. With stopAtPrompt, Ctrl-Z is typed at the first prompt;
// the shell notes the echo while the job is stopped, then continues it, and the answer goes to the
// prompt shown again. Returns the exit status (-1 when it had to be killed) and all the terminal
// showed; echoOff tells whether the echo was off when the answered prompt showed. duringJob runs on
// a thread of its own meanwhile, with the terminal to type on.
std::pair<int, std::string>
openOnTerminal(const TempDir& dir, const std::string& typeAhead, const std::string& answer, bool& echoOff,
               const std::string& prompt = "Enter pass phrase: ", bool stopAtPrompt = false,
               const std::function<void(int terminal)>& duringJob = {}) {
    std::vector<std::string> arguments = {"open", "--app-dir", dir.file("app"), "doc.qsig"};
    std::vector<char*> argv = argvOf(arguments);
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        const pid_t job = ::fork();
        if (job == 0) {
            ::setpgid(0, 0);
            ::signal(SIGTTOU, SIG_IGN);
            ::tcsetpgrp(STDIN_FILENO, ::getpgrp());
            ::signal(SIGTTOU, SIG_DFL);
            if (::chdir(dir.path().c_str()) == 0) {
                ::execv(argv[0], argv.data());
            }
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(job, &status, WUNTRACED) == job && WIFSTOPPED(status)) {
            termios mode{};
            const bool echo = ::tcgetattr(STDIN_FILENO, &mode) == 0 && (mode.c_lflag & ECHO) != 0;
            const std::string note = echo ? "[stopped, echo on]\r\n" : "[stopped, echo off]\r\n";
            if (::write(STDOUT_FILENO, note.data(), note.size()) < 0 || ::kill(job, SIGCONT) != 0) {
                ::_exit(126);
            }
        }
        ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 126);
    }
    if (child < 0) {
        ADD_FAILURE() << "no pseudo-terminal";
        return {-1, ""};
    }
    std::thread typist(
        duringJob ? duringJob : [](int) {}, terminal);
    std::string shown;
    bool answered = ::write(terminal, typeAhead.data(), typeAhead.size()) < 0;
    bool stopped = false;
    pollfd ready{terminal, POLLIN, 0};
    char buffer[256];
    for (ssize_t got = 1; got > 0 && ::poll(&ready, 1, 20000) > 0;) {
        got = ::read(terminal, buffer, sizeof buffer);
        shown.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        // After Ctrl-Z, only a prompt shown again once the echo was seen back on is answered.
        const std::size_t from = stopped ? shown.find("[stopped, echo on]") : 0;
        if (shown.find(prompt, from) == std::string::npos) {
            continue;
        }
        if (stopAtPrompt && !stopped) {
            stopped = ::write(terminal, "\x1a", 1) == 1; // Ctrl-Z
        } else if (!answered) {
            termios mode{};
            echoOff = ::tcgetattr(terminal, &mode) == 0 && (mode.c_lflag & ECHO) == 0;
            answered = ::write(terminal, answer.data(), answer.size()) >= 0;
        }
    }
    ::kill(child, SIGKILL); // only one still waiting for an answer is left to end
    int status = 0;
    ::waitpid(child, &status, 0);
    typist.join();
    ::close(terminal);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, shown};
}

const std::string plain = "The content, byte for byte.\r\n";
const std::string passPhrase = "correct horse";

// Fixed dates, so the signer description is known to the line.
const testdoc::Identity& cliSigner() {
    static const testdoc::Identity signer = [] {
        testdoc::CertificateOptions options;
        options.subject = "/C=GB/O=Cli Tests/OU=Signing/CN=Cli Signer/emailAddress=cli@example.com";
        options.serial = 5;
        options.keyIndex = 3;
        options.notAfter = "491231235959Z";
        return testdoc::makeIdentity(options);
    }();
    return signer;
}

const std::vector<std::string> verdictBlock = {
    "SUCCESS",
    "This data is digitally signed by:",
    "  CN=Cli Signer",
    "  Email=cli@example.com",
    "  O=Cli Tests",
    "  OU=Signing",
    "  Certificate expires on: Dec 31 23:59:59 2049 GMT",
    "Signature: Verified",
    "Contents not altered after message was signed",
    "Certificate not expired",
    "Certificate revocation status unknown",
    "Certificate chain: no known authority",
};

const std::string keyNotice =
    "quillbox: notice: Depending on the security level set for your keys, you may be asked "
    "for private key pass phrase during decryption";

std::vector<std::string> concat(std::vector<std::string> first, const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Waits until dir's file name holds text, looking again whenever a file in dir is written;
// false when a minute passes with nothing written.
bool waitForText(const TempDir& dir, const std::string& name, const std::string& text) {
    const FileDescriptor changes(::inotify_init1(IN_CLOEXEC));
    if (::inotify_add_watch(changes.get(), dir.path().c_str(), IN_MODIFY) < 0) {
        return false;
    }
    pollfd written{changes.get(), POLLIN, 0};
    while (dir.read(name).find(text) == std::string::npos) {
        char events[4096];
        if (::poll(&written, 1, 60000) != 1 || ::read(changes.get(), events, sizeof events) <= 0) {
            return false;
        }
    }
    return true;
}

class CliTest : public testing::Test {
protected:
    CliRun open(std::vector<std::string> arguments, const std::string& inPath = "/dev/null") {
        arguments.insert(arguments.begin(), {"open", "--app-dir", dir.file("app")});
        return runCli(dir, std::move(arguments), inPath);
    }

    std::string makeStore() {
        const std::string store = dir.file("store");
        ::mkdir(store.c_str(), 0700);
        NssTestStore nss(store);
        nss.importPkcs12(testdoc::pkcs12(testRecipient()));
        return store;
    }

    TempDir dir;
};

TEST_F(CliTest, OpensASignedDocumentAndPrintsItsVerdict) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));

    const CliRun run = open({"-o", "out.bin", "doc.qsig"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("out.bin"), plain);
    EXPECT_EQ(run.errLines,
              concat(verdictBlock, {"quillbox: success: Verification complete and File Saved"}));
    EXPECT_EQ(run.out, "");
}

TEST_F(CliTest, TheDefaultOutputIsTheInputWithoutQsigAndRelativePathsBecomeAbsolute) {
    ::mkdir(dir.file("sub").c_str(), 0700);
    dir.write("sub/report.qsig.txt.qsig", testdoc::symmetricLayer(plain, passPhrase));
    dir.write("answers", passPhrase + "\n");

    const CliRun run = open({"--passphrase-file", "answers", "sub/report.qsig.txt.qsig"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("sub/report.txt"), plain);
    EXPECT_EQ(run.errLines,
              std::vector<std::string>{"quillbox: success: Decryption complete and File Saved"});
    std::ifstream log(dir.file("app/Reader-Log.txt"));
    std::stringstream logText;
    logText << log.rdbuf();
    EXPECT_NE(logText.str().find(dir.file("sub/report.qsig.txt.qsig") + " -> " + dir.file("sub/report.txt")),
              std::string::npos);
}

// Whose absolute name is longer than the system opens: made one directory at a time, as a path that
// long can be neither made nor removed whole.
TEST_F(CliTest, AShortRelativeNameUnderADeepWorkingDirectoryIsOpened) {
    const std::string step(200, 'd');
    std::vector<FileDescriptor> levels;
    levels.emplace_back(::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (int depth = 0; depth < 25 && levels.back().isOpen(); ++depth) {
        EXPECT_EQ(::mkdirat(levels.back().get(), step.c_str(), 0700), 0);
        levels.emplace_back(::openat(levels.back().get(), step.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    const int deep = levels.back().get();
    const FileDescriptor document(::openat(deep, "doc.qsig", O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    EXPECT_TRUE(writeAll(document.get(), testdoc::signedLayer(plain, cliSigner())));

    const CliRun inspected = runCli(dir, {"inspect", "doc.qsig"}, "/dev/null", {}, deep);
    const CliRun opened =
        runCli(dir, {"open", "--app-dir", dir.file("app"), "-o", "../" + step + "/out", "doc.qsig"},
               "/dev/null", {}, deep);

    EXPECT_EQ(inspected.status, 0);
    EXPECT_EQ(linesOf(inspected.out).at(0), "./doc.qsig");
    EXPECT_EQ(opened.status, 0) << opened.errLines.back();
    char saved[256] = {};
    const FileDescriptor output(::openat(deep, "out", O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(std::string(saved, std::max<ssize_t>(::read(output.get(), saved, sizeof saved), 0)), plain);
    ::unlinkat(deep, "out", 0);
    ::unlinkat(deep, "doc.qsig", 0);
    for (std::size_t depth = levels.size() - 1; depth > 0; --depth) {
        ::unlinkat(levels[depth - 1].get(), step.c_str(), AT_REMOVEDIR);
    }
}

TEST_F(CliTest, WrongPassPhrasesFromTheFileUseUpTheThreeTries) {
    dir.write("doc.qsig", testdoc::symmetricLayer(plain, passPhrase));
    // A pipe, as a process substitution gives it.
    ASSERT_EQ(::mkfifo(dir.file("answers").c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(dir.file("answers")) << "one\r\ntwo\nCorrect horse\n"; });

    const CliRun run = open({"--passphrase-file", "answers", "doc.qsig"});
    writer.join();

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines,
              (std::vector<std::string>{
                  "quillbox: warning: Wrong password. Please try again! You will be given only 3 attempts",
                  "quillbox: warning: Wrong password. Please try again! You will be given only 3 attempts",
                  "quillbox: error: Wrong password. All attempts exhausted"}));
    EXPECT_FALSE(std::ifstream(dir.file("doc")).good());

    // In a batch, the failure names the document it ended, and the one never reached is listed.
    dir.write("wrong", "one\ntwo\nthree\n");
    dir.write("other.qsig", "never read");
    const CliRun batch = open({"--passphrase-file", "wrong", "doc.qsig", "other.qsig"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(
        std::vector<std::string>(batch.errLines.end() - 2, batch.errLines.end()),
        (std::vector<std::string>{"quillbox: error: " + dir.file("doc.qsig") + ": Passphrase mismatch!",
                                  "quillbox: warning: " + dir.file("other.qsig") +
                                      " was not processed: The job ended before this file was reached"}));
}

TEST_F(CliTest, APromptWithoutTerminalOrAnswerIsACancel) {
    dir.write("doc.qsig", testdoc::symmetricLayer(plain, passPhrase));

    const CliRun run = open({"--json", "doc.qsig"});

    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.errLines,
              std::vector<std::string>{"quillbox: error: no terminal to ask for the pass phrase "
                                       "on; give --passphrase-file"});
    EXPECT_EQ(run.out,
              "{\"input\":\"" + dir.file("doc.qsig") + "\",\"output\":\"" + dir.file("doc") +
                  "\",\"status\":\"cancelled\",\"layers\":[],\"verdicts\":[],\"outcome\":\"The prompt for "
                  "its pass phrase was cancelled or had no "
                  "answer\",\"layers_left\":[],\"certificate_layers\":[]}\n");
}

// The private key's secret components in both byte orders, as a key file or a blob would hold them.
std::vector<std::string> secretKeyPatterns(const EVP_PKEY& key) {
    std::vector<std::string> patterns;
    for (const char* name :
         {OSSL_PKEY_PARAM_RSA_D, OSSL_PKEY_PARAM_RSA_FACTOR1, OSSL_PKEY_PARAM_RSA_FACTOR2}) {
        BIGNUM* number = nullptr;
        EVP_PKEY_get_bn_param(&key, name, &number);
        const BignumPtr held(number);
        std::string bytes(static_cast<std::size_t>(BN_num_bytes(number)), '\0');
        BN_bn2bin(number, reinterpret_cast<unsigned char*>(bytes.data()));
        patterns.push_back(bytes.substr(0, 16));
        patterns.push_back(std::string(bytes.rbegin(), bytes.rbegin() + 16));
    }
    return patterns;
}

TEST_F(CliTest, OpensACertificateEncryptedDocumentWithTheGivenStore) {
    const std::string store = makeStore();
    dir.write("doc.qsig", testdoc::asymmetricLayer(plain, testRecipient().certificate.get()));
    std::filesystem::create_directory(dir.file("tmp"));
    ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);

    const CliRun run = open({"--store", store, "doc.qsig"});
    ::unsetenv("TMPDIR");
    const CliRun missing = open({"--store", "missing", "doc.qsig"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("doc"), plain);
    EXPECT_EQ(run.errLines,
              (std::vector<std::string>{keyNotice, "quillbox: success: Decryption complete and File Saved"}));
    EXPECT_EQ(missing.errLines.back(), "quillbox: error: Error ffffe012 in getting CertList from IE Store: " +
                                           dir.file("missing") + ": security library: bad database.");
    // The key went from the store to memory only: no file outside the store holds any part of it.
    const std::vector<std::string> secrets = secretKeyPatterns(*testRecipient().key);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        if (entry.is_regular_file() && entry.path().parent_path() != store) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            for (const std::string& secret : secrets) {
                EXPECT_EQ(bytes.find(secret), std::string::npos) << entry.path();
            }
        }
    }
}

TEST_F(CliTest, AStorePasswordWithoutTerminalOrFileIsACancel) {
    const std::string store = dir.file("locked");
    ::mkdir(store.c_str(), 0700);
    NssTestStore nss(store, "store secret");
    nss.importPkcs12(testdoc::pkcs12(testRecipient()));
    dir.write("doc.qsig", testdoc::asymmetricLayer(plain, testRecipient().certificate.get()));
    dir.write("password", "store secret\n");

    const CliRun cancelled = open({"--store", store, "doc.qsig"});
    const CliRun given = open({"--store", store, "--store-password-file", "password", "doc.qsig"});

    EXPECT_EQ(cancelled.status, 130);
    EXPECT_EQ(cancelled.errLines.back().rfind("quillbox: error: ", 0), 0u) << cancelled.errLines.back();
    EXPECT_EQ(given.status, 0);
    EXPECT_EQ(dir.read("doc"), plain);
}

TEST_F(CliTest, OpensANestedDocumentInOneFirstPass) {
    const std::string store = makeStore();
    dir.write("doc.qsig",
              testdoc::symmetricLayer(testdoc::asymmetricLayer(testdoc::signedLayer(plain, cliSigner()),
                                                               testRecipient().certificate.get()),
                                      passPhrase));
    dir.write("answers", passPhrase + "\n");

    const CliRun run = open({"--store", store, "--passphrase-file", "answers", "--json", "doc.qsig"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("doc"), plain);
    EXPECT_EQ(run.errLines,
              concat(concat({keyNotice}, verdictBlock), {"quillbox: success: Processed and saved the file"}));
    EXPECT_NE(run.out.find("\"status\":\"saved\",\"layers\":[\"pass-phrase\",\"certificate\",\"signed\"]"),
              std::string::npos);
    EXPECT_NE(run.out.find("\"outcome\":\"Processed and saved the file\",\"layers_left\":[],"
                           "\"certificate_layers\":[{\"recipient\":{\"subject\":\"/C=US/"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"valid\":true},\"cipher\":\"DES-EDE3-CBC\"}]}\n"), std::string::npos) << run.out;
}

TEST_F(CliTest, ABatchAnnouncesEachFileAndAnswersQuestionsFromTheOptions) {
    // A ";" in a name is an ordinary character: the inputs reach the job as a list.
    dir.write("a;1.qsig", testdoc::signedLayer(plain + "a", cliSigner()));
    dir.write("b.qsig", "not a secured document");
    dir.write("c.qsig", testdoc::symmetricLayer(plain + "c", passPhrase));
    dir.write("answers", passPhrase + "\n");

    const CliRun run =
        open({"--yes", "--json", "--passphrase-file", "answers", "a;1.qsig", "b.qsig", "c.qsig"});

    const auto notice = [&](const std::string& name) {
        return "quillbox: notice: Now processing file " + dir.file(name) +
               " You may be asked for a password in case of Decryption operation";
    };
    EXPECT_EQ(run.status, 1) << "one file was skipped";
    EXPECT_EQ(
        run.errLines,
        concat(concat({notice("a;1.qsig")}, verdictBlock),
               {notice("b.qsig"),
                "quillbox: warning: " + dir.file("b.qsig") +
                    ". This file is tampered [OR] Not of a valid signed/encrypted format [OR] Corrupted. "
                    "Do you want to continue with the next file?",
                notice("c.qsig"), "quillbox: success: Processing completed"}));
    EXPECT_EQ(dir.read("a;1"), plain + "a");
    EXPECT_EQ(dir.read("c"), plain + "c");
    const std::vector<std::string> json = linesOf(run.out);
    ASSERT_EQ(json.size(), 3u);
    EXPECT_NE(json[0].find("\"status\":\"saved\""), std::string::npos);
    EXPECT_NE(json[1].find("\"status\":\"skipped\""), std::string::npos);
    EXPECT_NE(json[2].find("\"outcome\":\"Decryption complete and File Saved\""), std::string::npos);
}

TEST_F(CliTest, ACancelDoesNotHideAFailureAndEveryUnsavedDocumentSaysWhy) {
    const std::string latin1 = "caf\xE9.qsig"; // not UTF-8
    dir.write(latin1, testdoc::symmetricLayer(plain, passPhrase));
    dir.write("b.qsig", "not a secured document");
    dir.write("c.qsig", "not a secured document either");

    const CliRun run = open({"--json", "--no", latin1, "b.qsig", "c.qsig"});

    EXPECT_EQ(run.status, 1) << "b failed, which the cancelled prompt of the first must not hide";
    const std::vector<std::string> json = linesOf(run.out);
    ASSERT_EQ(json.size(), 3u) << run.out;
    EXPECT_NE(json[0].find("\"input\":\"" + dir.file("caf") + "\\udce9.qsig\""), std::string::npos)
        << json[0];
    const char* statuses[] = {"cancelled\"", "failed\"",
                              "not-processed\",\"layers\":[],\"verdicts\":[],\"outcome\":\"The job"};
    for (std::size_t i = 0; i < json.size(); ++i) {
        EXPECT_NE(json[i].find(std::string("\"status\":\"") + statuses[i]), std::string::npos) << json[i];
        EXPECT_EQ(json[i].find("\"outcome\":\"\""), std::string::npos) << json[i];
    }
    EXPECT_EQ(open({"--no", latin1, "b.qsig", "c.qsig"}).errLines.back(),
              "quillbox: warning: " + dir.file("c.qsig") +
                  " was not processed: The job ended before this file was reached")
        << "the lines on stderr list what was never reached, as --json does";
}

TEST_F(CliTest, AHiddenAnswerIsNeverShownAndNeverLostWhenTypedAhead) {
    dir.write("doc.qsig", testdoc::symmetricLayer(plain, passPhrase));
    bool echoOff = false;

    const auto [status, shown] = openOnTerminal(dir, "", passPhrase + "\n", echoOff);
    EXPECT_EQ(status, 0) << shown;
    EXPECT_TRUE(echoOff);
    EXPECT_EQ(shown.find(passPhrase), std::string::npos) << shown;

    ::unlink(dir.file("doc").c_str());
    EXPECT_EQ(openOnTerminal(dir, passPhrase + "\n", "", echoOff).first, 0)
        << "the answer typed ahead is kept";
    EXPECT_EQ(dir.read("doc"), plain);
}

// The document comes through a FIFO: once it is opened for writing the job has begun, and what is
// typed from then on, before the prompt shows, must not show either.
TEST_F(CliTest, APassPhraseTypedWhileTheJobWorksIsNeverShown) {
    ASSERT_EQ(::mkfifo(dir.file("doc.qsig").c_str(), 0600), 0);
    bool echoOff = false;

    const auto [status, shown] =
        openOnTerminal(dir, "", "", echoOff, "Enter pass phrase: ", false, [&](int terminal) {
            std::ofstream document(dir.file("doc.qsig"));
            const std::string typed = passPhrase + "\n";
            if (::write(terminal, typed.data(), typed.size()) == static_cast<ssize_t>(typed.size())) {
                // Not a timing check: the terminal has taken the typing in before the prompt can show.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            document << testdoc::symmetricLayer(plain, passPhrase);
        });
    EXPECT_EQ(status, 0) << shown;
    EXPECT_EQ(shown.find(passPhrase), std::string::npos) << shown;
    EXPECT_EQ(dir.read("doc"), plain);
}

TEST_F(CliTest, CtrlZAtAHiddenPromptGivesTheTerminalBackAndContinuingHidesTypingAgain) {
    dir.write("doc.qsig", testdoc::symmetricLayer(plain, passPhrase));
    bool echoOff = false;

    const auto [status, shown] =
        openOnTerminal(dir, "", passPhrase + "\n", echoOff, "Enter pass phrase: ", true);
    EXPECT_EQ(status, 0) << shown;
    EXPECT_TRUE(echoOff) << "the prompt shown again after continuing hides typing";
    EXPECT_EQ(shown.find(passPhrase), std::string::npos) << shown;
    EXPECT_EQ(dir.read("doc"), plain);
}

TEST_F(CliTest, AnswerFilesAreReadOnlyWhenAPromptNeedsThem) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    ASSERT_EQ(::mkfifo(dir.file("answers").c_str(), 0600), 0); // nobody ever writes to it

    const CliRun run = open({"--passphrase-file", "answers", "doc.qsig"});

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(dir.read("doc"), plain);
}

TEST_F(CliTest, ABlankAnswerSaysWhy) {
    dir.write("doc.qsig", testdoc::symmetricLayer(plain, passPhrase));
    dir.write("answers", "\n");

    const CliRun run = open({"--passphrase-file", "answers", "doc.qsig"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines, std::vector<std::string>{"quillbox: warning: Blank password given to decrypt"});
}

TEST_F(CliTest, AnOutputSavedWithALayerLeftSaysSo) {
    dir.write("a.qsig", testdoc::symmetricLayer(testdoc::symmetricLayer(plain, "inner"), passPhrase));
    dir.write("b.qsig", testdoc::signedLayer(plain, cliSigner()));
    dir.write("answers", passPhrase + "\n");

    const CliRun run = open({"--json", "--passphrase-file", "answers", "a.qsig", "b.qsig"});

    const std::vector<std::string> json = linesOf(run.out);
    ASSERT_EQ(json.size(), 2u) << run.out;
    EXPECT_NE(json[0].find("\"status\":\"saved\""), std::string::npos) << json[0];
    EXPECT_NE(json[0].find("\"layers_left\":[\"pass-phrase\"]"), std::string::npos) << json[0];
    EXPECT_NE(std::find(run.errLines.begin(), run.errLines.end(),
                        "quillbox: warning: " + dir.file("a") +
                            " was saved with its pass-phrase layer still in it"),
              run.errLines.end());
}

TEST_F(CliTest, StandardInputAndOutputStandForFiles) {
    dir.write("doc.qsig", testdoc::symmetricLayer(plain, passPhrase));
    dir.write("answers", passPhrase + "\n");

    const CliRun run = open({"--passphrase-file", "answers", "-o", "-", "-"}, dir.file("doc.qsig"));

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, plain);
    EXPECT_EQ(run.errLines,
              std::vector<std::string>{"quillbox: success: Decryption complete and File Saved"});
}

TEST_F(CliTest, AFailedWriteToStandardOutputIsAnError) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"--help"}, {"inspect", "doc.qsig"}, {"open", "--json", "doc.qsig"}}) {
        const CliRun run = runCli(dir, arguments, "/dev/null", "/dev/full");
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_EQ(run.errLines.back(),
                  "quillbox: error: cannot write to standard output: No space left on device");
    }
    // The content itself, to standard output or to a device: the failure names the output and why.
    for (const std::string& output : {std::string("-"), std::string("/dev/full")}) {
        const CliRun run = runCli(dir, {"open", "--app-dir", dir.file("app"), "-o", output, "doc.qsig"},
                                  "/dev/null", "/dev/full");
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_THAT(run.errLines, testing::Contains("quillbox: error: cannot write to " +
                                                    (output == "-" ? "standard output" : output) +
                                                    ": No space left on device"));
    }
}

TEST_F(CliTest, EachLineIsWrittenAsItsDocumentEndsAndASignalAddsOne) {
    dir.write("a.qsig", testdoc::signedLayer(plain, cliSigner()));
    dir.write("b.qsig", testdoc::symmetricLayer(plain, passPhrase));
    dir.write("c.qsig", testdoc::signedLayer(plain, cliSigner()));
    ASSERT_EQ(::mkfifo(dir.file("answers").c_str(), 0600), 0); // the prompt for b waits on it
    // Ended by SIGTERM at b's prompt, once a is reported.
    const auto endedAtB = [&](const std::string& format, const std::string& reported, const std::string& a) {
        std::vector<std::string> command = {
            cliPath(), "open",   "--app-dir", dir.file("app"), "--passphrase-file",
            "answers", "a.qsig", "b.qsig",    "c.qsig"};
        if (!format.empty()) {
            command.insert(command.begin() + 2, format);
        }
        const pid_t child = startProgram(command, dir.path());
        const bool reportedA = waitForText(dir, reported, a);
        ::kill(child, SIGTERM);
        const ChildEnd ended = waitForChild(child);
        EXPECT_TRUE(reportedA) << dir.read(".stderr");
        return ended;
    };

    // Text: the inputs the signal left undone are listed on stderr.
    EXPECT_EQ(endedAtB("", ".stderr", dir.file("b.qsig") + " You may").signal, SIGTERM);
    const std::vector<std::string> text = linesOf(dir.read(".stderr"));
    const std::string undone =
        " was not processed: The program was ended by a signal before this file was done with";
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(text.end() - 2, text.end()),
              (std::vector<std::string>{"quillbox: warning: " + dir.file("b.qsig") + undone,
                                        "quillbox: warning: " + dir.file("c.qsig") + undone}));
    ::unlink(dir.file("a").c_str());

    const ChildEnd end = endedAtB("--json", ".stdout", "\n");

    EXPECT_EQ(end.signal, SIGTERM);
    const std::vector<std::string> json = linesOf(dir.read(".stdout"));
    ASSERT_EQ(json.size(), 2u) << dir.read(".stdout");
    EXPECT_NE(json[0].find("\"status\":\"saved\""), std::string::npos) << json[0];
    EXPECT_EQ(json[1].rfind("{\"input\":\"" + dir.file("b.qsig") + "\",\"output\":\"" + dir.file("b") +
                                "\",\"status\":\"interrupted\"",
                            0),
              0u)
        << json[1];
}

TEST_F(CliTest, TheOverwriteQuestionAndItsAnswerShareTheTerminal) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    dir.write("doc", "old");
    bool echoOff = true;

    const auto [status, shown] =
        openOnTerminal(dir, "", "y\n", echoOff, " file already exists. Do you want to overwrite it? [y/N] ");

    EXPECT_EQ(status, 0) << shown;
    EXPECT_FALSE(echoOff);
    EXPECT_EQ(dir.read("doc"), plain);
}

TEST_F(CliTest, EveryNameAPipeAndADeviceServeAsTheyAre) {
    ::mkdir(dir.file("dir (old)").c_str(), 0700);
    const std::string names[] = {"dir (old)/x.qsig", "Q&A [1],c++ {a}.txt.qsig", "back\\slash~!.qsig"};
    for (const std::string& name : names) {
        dir.write(name, testdoc::signedLayer(plain, cliSigner()));
        EXPECT_EQ(open({name}).status, 0) << name;
        EXPECT_EQ(dir.read(name.substr(0, name.size() - 5)), plain) << name;
    }
    // Read like "-": a named pipe, and what a process substitution gives.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(dir.file("pipe")) << testdoc::signedLayer(plain, cliSigner()); });
    const CliRun piped = open({"-o", "piped.txt", "pipe"});
    writer.join();
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(dir.read("piped.txt"), plain);
    // Written directly: no staging beside it, no overwrite question.
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    const CliRun discarded = open({"-o", "/dev/null", "doc.qsig"});
    EXPECT_EQ(discarded.status, 0);
    EXPECT_EQ(discarded.errLines.back(), "quillbox: success: Verification complete and File Saved");
}

TEST_F(CliTest, AnOutputThatIsItsInputIsRefusedEvenWithYes) {
    const std::string document = testdoc::signedLayer(plain, cliSigner());
    dir.write("doc.qsig", document);
    ASSERT_EQ(::symlink("doc.qsig", dir.file("link").c_str()), 0);
    ASSERT_EQ(::link(dir.file("doc.qsig").c_str(), dir.file("second").c_str()), 0);

    for (const char* output : {"doc.qsig", "link", "second"}) {
        const CliRun run = open({"--yes", "-o", output, "doc.qsig"});
        EXPECT_EQ(run.status, 1) << output;
        EXPECT_EQ(run.errLines,
                  std::vector<std::string>{"quillbox: warning: Output file " + dir.file(output) +
                                           " is the input file: the document would be "
                                           "replaced by its content"});
        EXPECT_EQ(dir.read("doc.qsig"), document);
    }
}

TEST_F(CliTest, ABadDocumentIsRefused) {
    dir.write("doc.qsig", "plain words");

    const CliRun run = open({"doc.qsig"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines,
              std::vector<std::string>{
                  "quillbox: error: This file is tampered [OR] Not of a valid signed/encrypted format "
                  "[OR] Corrupted. Cannot proceed with Verify/Decrypt Operation"});
}

TEST_F(CliTest, AnExistingOutputIsKeptWithoutATerminalOrWithNo) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    dir.write("doc", "old");

    for (const std::vector<std::string>& options :
         {std::vector<std::string>{}, std::vector<std::string>{"--no"}}) {
        std::vector<std::string> arguments = options;
        arguments.push_back("doc.qsig");
        const CliRun run = open(arguments);

        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.errLines.back(), "quillbox: warning: " + dir.file("doc") +
                                           " file already exists. Do you want to overwrite it?");
        EXPECT_EQ(dir.read("doc"), "old");
    }
}

TEST_F(CliTest, SignersAreCheckedAgainstTheGivenCrl) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    testdoc::CrlOptions revoked;
    revoked.revokedSerials = {5};
    dir.write("list.crl", testdoc::makeCrl(cliSigner(), revoked));

    const CliRun run = open({"--crl", "list.crl", "doc.qsig"});

    EXPECT_EQ(run.status, 3) << "saved, but the verdict is FAILED";
    ASSERT_GE(run.errLines.size(), 11u);
    EXPECT_EQ(run.errLines[0], "FAILED");
    EXPECT_EQ(run.errLines[10], "Signer Certificate is REVOKED");
}

// Each judgement reaches the header, the exit status and the JSON, not only the line that states it.
struct JudgementCase {
    const char* name;
    std::function<std::string()> document;
    std::string crl; // the --crl file's bytes; none when empty
    int status;
    std::string header;
    std::string fact; // a piece of the signer's JSON that states the judgement
};

class Judgements : public CliTest, public testing::WithParamInterface<JudgementCase> {};

TEST_P(Judgements, ReachTheHeaderTheExitStatusAndTheJson) {
    dir.write("doc.qsig", GetParam().document());
    std::vector<std::string> arguments{"--json", "doc.qsig"};
    if (!GetParam().crl.empty()) {
        dir.write("list.crl", GetParam().crl);
        arguments.insert(arguments.begin(), {"--crl", "list.crl"});
    }
    const CliRun run = open(arguments);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_NE(run.out.find("\"verdicts\":[{\"header\":\"" + GetParam().header + "\""), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(GetParam().fact), std::string::npos) << run.out;
    // A list that cannot be read is named with its cause.
    EXPECT_EQ(std::count(run.errLines.begin(), run.errLines.end(),
                         "quillbox: error: " + dir.file("list.crl") +
                             ": CRL is in unrecognized format. Try either DER or PEM formats."),
              GetParam().status == 1 ? 1 : 0);
}

testdoc::Identity cliSignerWith(std::int64_t notBeforeOffset, std::int64_t notAfterOffset) {
    return testdoc::makeIdentity({.subject = "/CN=Dated Signer",
                                  .serial = 5,
                                  .notBeforeOffset = notBeforeOffset,
                                  .notAfterOffset = notAfterOffset,
                                  .keyIndex = 3},
                                 nullptr);
}

constexpr std::int64_t cliDay = 24 * 3600;

std::string signedByNamed(const std::string& subject, long serial) {
    return testdoc::signedLayer(
        plain, testdoc::makeIdentity({.subject = subject, .serial = serial, .keyIndex = 3}, nullptr));
}

const std::string longSubject =
    "/L=" + std::string(120, 'l') + "/ST=" + std::string(120, 's') + "/CN=" + std::string(14, 'n');

std::string crlOf(const std::vector<testdoc::SerialNumber>& serials, std::int64_t lastUpdateOffset = -3600) {
    testdoc::CrlOptions options;
    options.revokedSerials = serials;
    options.lastUpdateOffset = lastUpdateOffset;
    return testdoc::makeCrl(cliSigner(), options);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Judgements,
    testing::Values(
        JudgementCase{"Intact", [] { return testdoc::signedLayer(plain, cliSigner()); }, "", 0, "SUCCESS",
                      "\"signature_valid\":true"},
        JudgementCase{"Altered",
                      [] { return testdoc::signedLayer(plain, cliSigner(), {.tamperAfterSigning = true}); },
                      "", 3, "FAILED", "\"signature_valid\":false"},
        JudgementCase{"Expired",
                      [] { return testdoc::signedLayer(plain, cliSignerWith(-10 * cliDay, -cliDay)); }, "", 3,
                      "FAILED", "\"expired\":true"},
        JudgementCase{"NotYetValid",
                      [] { return testdoc::signedLayer(plain, cliSignerWith(cliDay, 10 * cliDay)); }, "", 3,
                      "FAILED", "\"not_yet_valid\":true"},
        JudgementCase{"Revoked", [] { return testdoc::signedLayer(plain, cliSigner()); }, crlOf({5}), 3,
                      "FAILED", "\"revocation\":\"revoked\""},
        JudgementCase{"NotRevoked", [] { return testdoc::signedLayer(plain, cliSigner()); }, crlOf({6}), 0,
                      "SUCCESS", "\"revocation\":\"not-revoked\""},
        // An untrusted chain is a fact beside the verdict, never a failure of it.
        JudgementCase{"NoKnownAuthority", [] { return testdoc::signedLayer(plain, cliSigner()); }, "", 0,
                      "SUCCESS", "\"chain\":\"untrusted\",\"chain_problem\":\"unknown-authority\""},
        // A list past its next update cannot clear the signer: unknown, which fails nothing.
        JudgementCase{"StaleList", [] { return testdoc::signedLayer(plain, cliSigner()); },
                      crlOf({6}, -40 * cliDay), 0, "SUCCESS", "\"problem\":\"stale\""},
        JudgementCase{"StaleListListingIt", [] { return testdoc::signedLayer(plain, cliSigner()); },
                      crlOf({5}, -40 * cliDay), 3, "FAILED", "\"problem\":null"},
        JudgementCase{"UnreadableList", [] { return testdoc::signedLayer(plain, cliSigner()); },
                      "This is no CRL.", 1, "SUCCESS", "\"problem\":\"unreadable\""},
        // Names are whole and have one reading; serial zero is a whole byte.
        JudgementCase{"SubjectOf265BytesWhole", [] { return signedByNamed(longSubject, 5); }, "", 0,
                      "SUCCESS", "/CN=" + std::string(14, 'n') + R"(","issuer":"/L=)"},
        JudgementCase{
            "SubjectAttributesInOrder", [] { return signedByNamed(longSubject, 5); }, "", 0, "SUCCESS",
            R"(["ST",")" + std::string(120, 's') + R"("],["CN",")" + std::string(14, 'n') + R"("]],)"},
        JudgementCase{
            "CommonNameHoldingASlashAndAnEscape", [] { return signedByNamed(R"(/CN=a\/CN=x\x0A)", 5); }, "",
            0, "SUCCESS",
            R"("subject":"/CN=a\\/CN=x\\\\x0A","issuer":"/CN=a\\/CN=x\\\\x0A",)"
            R"("subject_attributes":[["CN","a/CN=x\\x0A"]],"issuer_attributes":[["CN","a/CN=x\\x0A"]],)"},
        JudgementCase{"SerialZero", [] { return signedByNamed("/CN=Zero", 0); }, "", 0, "SUCCESS",
                      R"("serial":"00")"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTest, RefusedPathsAreReportedLikeTheForm) {
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));

    const CliRun run = open({"--json", "-o", "missing/out", "doc.qsig"});

    const std::string message =
        "Output directory " + dir.file("missing/") + " does not exist or does not have write permissions";
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errLines, std::vector<std::string>{"quillbox: warning: " + message});
    EXPECT_NE(
        run.out.find("\"status\":\"not-processed\",\"layers\":[],\"verdicts\":[],\"outcome\":\"" + message),
        std::string::npos)
        << run.out;
}

TEST_F(CliTest, ANameCanNeitherMoveTheCursorNorRepaintAVerdict) {
    // A line break too, shown as the log shows it rather than as a space.
    const std::string name = "\x1b[1A\r\n\tSUCCESS\xC2\x9B.qsig";
    const std::string shownName = dir.file("\\x1B[1A\\r\\n\\tSUCCESS\\xC2\\x9B.qsig");
    dir.write("doc.qsig", testdoc::signedLayer(plain, cliSigner()));
    dir.write(name, "plain words");

    EXPECT_EQ(
        open({"--no", "doc.qsig", name}).errLines.back(),
        "quillbox: warning: " + shownName +
            ". This file is tampered [OR] Not of a valid signed/encrypted format [OR] Corrupted. Do you "
            "want to continue with the next file?");
    EXPECT_EQ(linesOf(runCli(dir, {"inspect", name}).out).at(0), shownName);
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string mentions = {}; // what the message must say
};

class CliUsageTest : public testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageTest, ExitsWithStatusTwo) {
    TempDir dir;
    dir.write("doc.qsig", "x");
    dir.write("doc.txt", "x");
    dir.write("big", std::string(1024 * 1024 + 1, 'x'));
    // Files of answers are read when the first prompt needs them.
    dir.write("locked.qsig", testdoc::symmetricLayer(plain, passPhrase));
    const CliRun run = runCli(dir, GetParam().arguments);

    EXPECT_EQ(run.status, 2);
    ASSERT_EQ(run.errLines.size(), 2u) << "one line, then the hint";
    EXPECT_EQ(run.errLines[0].rfind("quillbox: usage: ", 0), 0u) << run.errLines[0];
    EXPECT_NE(run.errLines[0].find(GetParam().mentions), std::string::npos) << run.errLines[0];
}

const UsageCase usageCases[] = {
    {"NoCommand", {}},
    {"UnknownCommand", {"decrypt", "doc.qsig"}},
    {"OpenWithoutInput", {"open", "--yes"}},
    {"UnknownOption", {"open", "--fast", "doc.qsig"}},
    {"OptionWithoutValue", {"open", "doc.qsig", "-o"}},
    {"EmptyAppDirectory", {"open", "--app-dir=", "doc.qsig"}},
    {"EmptyOutput", {"open", "-o", "", "doc.qsig"}},
    {"MoreOutputsThanInputs", {"open", "-o", "a", "-o", "b", "doc.qsig"}},
    {"YesAndNo", {"open", "--yes", "--no", "doc.qsig"}},
    {"NoQsigToRemove", {"open", "doc.txt"}},
    {"UnreadablePassPhraseFile", {"open", "--passphrase-file", "missing", "locked.qsig"}, "No such file"},
    {"DirectoryAsPassPhraseFile", {"open", "--passphrase-file", ".", "locked.qsig"}, "Is a directory"},
    {"PassPhraseFileOverOneMiB", {"open", "--passphrase-file", "big", "locked.qsig"}, "more than 1 MiB"},
    {"JsonWithStandardOutput", {"open", "--json", "-o", "-", "doc.qsig"}, "--json and -o -"},
    {"StandardInputWithoutOutput", {"open", "-"}, "standard input"},
    {"StandardInputTwice", {"open", "-o", "a", "-o", "b", "-", "-"}, "once"},
    {"TrailingWhiteSpaceInOutput", {"open", "-o", "out.txt ", "doc.qsig"}, "--output 'out.txt '"},
    {"LeadingWhiteSpaceInInspectInput", {"inspect", " doc.qsig"}, "INPUT ' doc.qsig'"},
    {"LineBreakInAMessage", {"open", "--fast\nest", "doc.qsig"}, "unknown option --fast est"},
    {"InspectWithoutInput", {"inspect"}},
    {"DirectoryAsInput", {"open", "-o", "out", "."}, " is a directory, not a document"},
};

INSTANTIATE_TEST_SUITE_P(CommandLine, CliUsageTest, testing::ValuesIn(usageCases),
                         [](const testing::TestParamInfo<UsageCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(CliInfo, HelpAndVersion) {
    TempDir dir;
    const CliRun help = runCli(dir, {"--help"});
    const CliRun version = runCli(dir, {"--version"});

    EXPECT_EQ(help.status, 0);
    // Within 79 columns, counted in characters (a UTF-8 character's continuation bytes take none).
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--help"}, {"open", "--help"}, {"inspect", "--help"}}) {
        for (const std::string& line : linesOf(runCli(dir, arguments).out)) {
            EXPECT_LE(std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xC0) != 0x80; }), 79)
                << line;
        }
    }
    for (const char* part :
         {"quillbox-cli open [options] INPUT...", "--passphrase-file", "Exit status:", "130",
          "Reader-Log.txt", "~/.pki/nssdb", "~/.local/share/quillbox-reader/.", "fatal"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    for (const char* command : {"open", "inspect"}) {
        const CliRun part = runCli(dir, {command, "--help"});
        EXPECT_EQ(part.status, 0) << command;
        EXPECT_EQ(
            part.out.rfind(std::string("Usage:\n  quillbox-cli ") + command + " [options] INPUT...\n", 0),
            0u);
        EXPECT_NE(part.out.find("chain_subjects"), std::string::npos) << command;
    }
    EXPECT_EQ(version.status, 0);
    // The first line alone is the program's; the libraries follow, one per line.
    const std::vector<std::string> lines = linesOf(version.out);
    ASSERT_EQ(lines.size(), 3u) << version.out;
    EXPECT_EQ(lines[0].rfind("quillbox-cli ", 0), 0u);
    EXPECT_EQ(lines[0].find(' ', 13), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("OpenSSL 3.", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("NSS 3.", 0), 0u) << lines[2];
}

TEST(CliInspect, ListsTheLayersWithoutDecrypting) {
    TempDir dir;
    dir.write("signed.qsig", testdoc::signedLayer(testdoc::symmetricLayer(plain, passPhrase), cliSigner()));
    dir.write("cert.qsig", testdoc::asymmetricLayer(plain, cliSigner().certificate.get()));

    const CliRun run = runCli(dir, {"inspect", "signed.qsig", "cert.qsig"});

    EXPECT_EQ(run.status, 0);
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], dir.file("signed.qsig"));
    EXPECT_EQ(lines[1], "  1. signed layer: SUCCESS, Signature: Verified");
    EXPECT_EQ(lines[2], "  2. pass-phrase layer (what it holds needs the pass phrase)");
    EXPECT_EQ(lines[3], dir.file("cert.qsig"));
    EXPECT_EQ(lines[4].rfind("  1. certificate-encrypted layer for /C=GB/O=Cli Tests/OU=Signing/CN=Cli "
                             "Signer/Email=cli@example.com, serial 05, valid from ",
                             0),
              0u)
        << lines[4];
    EXPECT_NE(lines[4].find(" to 2049-12-31T23:59:59Z (valid), cipher DES-EDE3-CBC"), std::string::npos)
        << lines[4];

    const CliRun json = runCli(dir, {"inspect", "--json", "signed.qsig", "cert.qsig"});
    const std::vector<std::string> objects = linesOf(json.out);
    ASSERT_EQ(objects.size(), 2u) << json.out;
    EXPECT_NE(objects[0].find("\"status\":\"secured\",\"layers\":[{\"kind\":\"signed\",\"size\":"),
              std::string::npos)
        << objects[0];
    EXPECT_NE(objects[0].find("\"signature\":\"Verified\""), std::string::npos) << objects[0];
    EXPECT_NE(objects[0].find("{\"kind\":\"pass-phrase\",\"size\":"), std::string::npos) << objects[0];
    EXPECT_NE(objects[1].find("\"serial\":\"05\",\"not_before\":\""), std::string::npos) << objects[1];
}

TEST(CliInspect, APlainFileIsNoSecuredDocument) {
    TempDir dir;
    dir.write("plain.txt", plain);

    const CliRun run = runCli(dir, {"inspect", "plain.txt"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(linesOf(run.out),
              (std::vector<std::string>{dir.file("plain.txt"), "  not a signed or encrypted document"}));
}

// Broken armour, alone or inside a signed layer: the layers found before it, then the error under
// the document, which the line on stderr names.
TEST(CliInspect, BrokenArmourIsAnErrorUnderTheLayersFoundBeforeIt) {
    TempDir dir;
    const std::string broken = "-----BEGIN PKCS7-----\nMIIB!!!!\n-----END PKCS7-----\n";
    dir.write("broken.qsig", broken);
    dir.write("inner.qsig", testdoc::signedLayer(broken, cliSigner()));
    const std::string error = "Error in decoding. Format is invalid";

    const CliRun run = runCli(dir, {"inspect", "broken.qsig", "inner.qsig"});

    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(linesOf(run.out), (std::vector<std::string>{
                                    dir.file("broken.qsig"), "  error: " + error, dir.file("inner.qsig"),
                                    "  1. signed layer: SUCCESS, Signature: Verified", "  error: " + error}));
    EXPECT_EQ(run.errLines.at(0), "quillbox: error: " + dir.file("broken.qsig") + ": " + error);

    const std::vector<std::string> objects =
        linesOf(runCli(dir, {"inspect", "--json", "broken.qsig", "inner.qsig"}).out);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_NE(objects[0].find("\"layers\":[],"), std::string::npos) << objects[0];
    EXPECT_NE(objects[0].find("\"error\":\"" + dir.file("broken.qsig") + ": " + error + "\"}"),
              std::string::npos)
        << objects[0];
    EXPECT_NE(objects[1].find("\"layers\":[{\"kind\":\"signed\""), std::string::npos) << objects[1];
    EXPECT_EQ(objects[1].find("\"kind\":\"plain\""), std::string::npos) << objects[1];
    EXPECT_NE(objects[1].find("\"error\":\"" + dir.file("inner.qsig") + ": " + error + "\"}"),
              std::string::npos)
        << objects[1];
}

} // namespace

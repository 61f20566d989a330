#include "support/nss_test_store.h"

#include <fcntl.h>
#include <keyhi.h>
#include <nss.h>
#include <pk11pub.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <vector>

extern char** environ;

NssTestStore::NssTestStore(std::string directory, std::string password)
    : directory_(std::move(directory)), password_(std::move(password)) {
    if (password_.empty()) {
        run({"certutil", "-N", "-d", "sql:" + directory_, "--empty-password"});
    } else {
        passwordFile_ = scratchFile(".password", password_ + "\n");
        run({"certutil", "-N", "-d", "sql:" + directory_, "-f", passwordFile_});
    }
}

void NssTestStore::importPkcs12(const std::string& pkcs12, const std::string& pkcs12Password,
                                const std::string& token, const std::string& tokenPin) {
    const std::string file = scratchFile(".import.p12", pkcs12);
    if (!token.empty()) {
        const std::string pinFile = scratchFile(".token-pin", tokenPin + "\n");
        run({"pk12util", "-i", file, "-d", "sql:" + directory_, "-W", pkcs12Password, "-h", token, "-k",
             pinFile});
    } else if (password_.empty()) {
        run({"pk12util", "-i", file, "-d", "sql:" + directory_, "-W", pkcs12Password});
    } else {
        run({"pk12util", "-i", file, "-d", "sql:" + directory_, "-W", pkcs12Password, "-k", passwordFile_});
    }
}

void NssTestStore::addSoftToken(const std::string& label, const std::string& pin) {
    const std::string tokens = directory_ + "/tokens";
    std::filesystem::create_directory(tokens);
    const std::string configuration = scratchFile("softhsm2.conf", "directories.tokendir = " + tokens + "\n");
    setenv("SOFTHSM2_CONF", configuration.c_str(), 1);
    run({"softhsm2-util", "--init-token", "--free", "--label", label, "--pin", pin, "--so-pin", pin + "so"});
    run({"modutil", "-dbdir", "sql:" + directory_, "-add", "SoftHSM", "-libfile",
         "/usr/lib/softhsm/libsofthsm2.so", "-force"});
}

void NssTestStore::addCertificate(const X509* certificate, const std::string& nickname) {
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length <= 0) {
        throw std::runtime_error("cannot encode the certificate");
    }
    const std::string file =
        scratchFile(".certificate.der", std::string(reinterpret_cast<char*>(der), length));
    OPENSSL_free(der);
    run({"certutil", "-A", "-d", "sql:" + directory_, "-n", nickname, "-t", ",,", "-i", file});
}

void NssTestStore::clearKeyFlag(unsigned long attribute) {
    const std::string configuration = "sql:" + directory_;
    NSSInitContext* context =
        NSS_InitContext(configuration.c_str(), "", "", "", nullptr, NSS_INIT_NOROOTINIT);
    if (context == nullptr) {
        throw std::runtime_error("cannot open the test store");
    }
    PK11SlotInfo* slot = PK11_GetInternalKeySlot();
    bool done = password_.empty() || PK11_CheckUserPassword(slot, password_.c_str()) == SECSuccess;
    if (SECKEYPrivateKeyList* keys = done ? PK11_ListPrivateKeysInSlot(slot) : nullptr; keys != nullptr) {
        CK_BBOOL no = CK_FALSE;
        SECItem value{siBuffer, &no, sizeof no};
        for (SECKEYPrivateKeyListNode* node = PRIVKEY_LIST_HEAD(keys); !PRIVKEY_LIST_END(node, keys);
             node = PRIVKEY_LIST_NEXT(node)) {
            done =
                done && PK11_WriteRawAttribute(PK11_TypePrivKey, node->key, attribute, &value) == SECSuccess;
        }
        SECKEY_DestroyPrivateKeyList(keys);
    } else {
        done = false;
    }
    PK11_Logout(slot);
    PK11_FreeSlot(slot);
    NSS_ShutdownContext(context);
    if (!done) {
        throw std::runtime_error("cannot mark the test store's keys");
    }
}

void NssTestStore::run(std::initializer_list<std::string> arguments) const {
    std::vector<std::string> words(arguments);
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        throw std::runtime_error("NSS tool failed: " + words.front() + " " + words[1]);
    }
}

std::string NssTestStore::scratchFile(const std::string& name, const std::string& bytes) const {
    const std::string path = directory_ + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return path;
}

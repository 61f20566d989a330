// A whole Verify/Decrypt job on one fuzzed document: the job reads it from a file, recognises its
// layers and removes them one after another (pass phrases and answers from a script, a store that
// holds the fixed key), and saves what is left. Whatever the bytes, the job must end by itself (no
// escaping exception, no fatal end), balance the wait cursor, save only complete results, never
// leave a temporary file, and keep an old output whole unless it was replaced.
//
// The first byte sets the scene: bit 0 a batch of two copies, bit 1 a revocation check (against the
// document itself as the CRL), bit 2 the answer to every question, bit 3 an old output already in
// place, bits 4-5 how many pass phrases are offered, bit 6 a store without the key.
//
// What every run would do alike is done once: the CA certificates are read once and shared by every
// job, and the job's files live in memory where the system offers a file system there, so that
// saving waits for no disk.
#include "certs/key_store.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/evp_recipient_key.h"
#include "fixed_key.h"
#include "fuzz_support.h"
#include "support/job_harness.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// The pass phrases of the seed documents, outermost layer first.
const std::vector<std::string> passPhrases = {"fuzz pass phrase", "inner pass phrase", "third pass phrase"};
const std::string oldOutput = "old output, kept unless replaced";

// Reading the system's CA certificates costs far more than a whole job on a small document; verifying
// never changes the store, so every job checks its chains against the one read first.
X509StorePtr sharedCaStore() {
    static X509_STORE* const store = makeVerificationStore().release();
    check(store != nullptr && X509_STORE_up_ref(store) == 1);
    return X509StorePtr(store);
}

std::filesystem::path jobDirectoryBase() {
    const std::filesystem::path memory = "/dev/shm";
    std::error_code error;
    return std::filesystem::is_directory(memory, error) ? memory : std::filesystem::temp_directory_path();
}

// Hands out the fixed key for any certificate, or finds none, as an empty store would.
class FixedKeyStore : public KeyStore {
public:
    explicit FixedKeyStore(bool holdsKey) : holdsKey_(holdsKey) {}
    std::unique_ptr<RecipientKey> findRecipientKey(const std::string&, const std::string& name) override {
        if (!holdsKey_) {
            throw errorDef::error_message("Decryption Certificate of \"" + name + "\" not found");
        }
        return std::make_unique<EvpRecipientKey>(fuzzkey::fixedKey());
    }

private:
    bool holdsKey_;
};

struct Scene {
    bool batch;
    bool checkRevocation;
    bool answer;
    bool oldOutputPresent;
    std::size_t passPhraseCount;
    bool storeHoldsKey;

    explicit Scene(std::uint8_t bits)
        : batch((bits & 1) != 0), checkRevocation((bits & 2) != 0), answer((bits & 4) != 0),
          oldOutputPresent((bits & 8) != 0), passPhraseCount((bits >> 4) & 3),
          storeHoldsKey((bits & 64) == 0) {}
};

void checkNoTemporaryFiles(const std::string& directory) {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        check(entry.path().extension() != ".tmp");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const Scene scene(data[0]);
    static const std::filesystem::path base = jobDirectoryBase();
    JobHarness harness(base);
    harness.settings.makeCaStore = sharedCaStore;
    harness.settings.openKeyStore = [holdsKey = scene.storeHoldsKey](const std::string&,
                                                                     StorePasswordPrompt) {
        return std::make_unique<FixedKeyStore>(holdsKey);
    };
    harness.ui.defaultAnswer = scene.answer;
    for (std::size_t i = 0; i < scene.passPhraseCount; ++i) {
        harness.ui.passPhrase(passPhrases[i]);
    }

    const std::string input =
        harness.write("doc.qsig", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    const std::vector<std::string> outputs =
        scene.batch ? std::vector<std::string>{harness.path("one.txt"), harness.path("two.txt")}
                    : std::vector<std::string>{harness.path("doc.txt")};
    if (scene.oldOutputPresent) {
        for (const std::string& output : outputs) {
            harness.write(std::filesystem::path(output).filename(), oldOutput);
        }
    }
    FormValues values;
    values.multipleSelection = scene.batch;
    for (const std::string& output : outputs) {
        values.input += input + (scene.batch ? ";" : "");
        values.output += output + (scene.batch ? ";" : "");
    }
    if (scene.batch) {
        values.inputs.assign(outputs.size(), input);
        values.outputs = outputs;
    }
    if (scene.checkRevocation) {
        values.crlChoice = RevocationChoice::Check;
        values.crlPath = harness.path("list.crl");
        std::filesystem::create_symlink(input, values.crlPath);
    }

    JobReport report;
    try {
        report = harness.run(values);
    } catch (const TerminatedForTest&) {
        check(false); // no document, however malformed, is a reason to end the program
    }

    check(report.pathsValid);
    check(harness.ui.waitCursorDepth == 0 && !harness.ui.waitCursorUnbalanced);
    check(report.files.size() == outputs.size());
    for (const FileReport& file : report.files) {
        const std::string name = std::filesystem::path(file.output).filename();
        if (file.status == FileStatus::Saved) {
            check(!harness.read(name).empty());
        } else if (scene.oldOutputPresent) {
            check(harness.read(name) == oldOutput);
        } else {
            check(!harness.exists(name));
        }
    }
    checkNoTemporaryFiles(harness.dir.path());
    return 0;
}

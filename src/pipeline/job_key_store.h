#pragma once
// The job's way to the personal certificate store: opened at the first certificate-encrypted layer
// (documents without one never touch the store) and kept for the rest of the job.
#include "certs/key_store.h"

#include <functional>
#include <memory>
#include <string>

class JobUi;

using KeyStoreOpener =
    std::function<std::unique_ptr<KeyStore>(const std::string& directory, StorePasswordPrompt)>;

class JobKeyStore {
public:
    JobKeyStore(KeyStoreOpener opener, std::string directory, JobUi& ui);

    // Opens the store on first use; its failures are thrown as the store's error records.
    KeyStore& get();

private:
    KeyStoreOpener opener_;
    std::string directory_;
    JobUi& ui_;
    std::unique_ptr<KeyStore> store_;
};

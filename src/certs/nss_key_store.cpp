#include "certs/key_store.h"

#include "certs/store_key_access.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/openssl_handles.h"

#include <climits>

namespace {

// The user's NSS shared database: opened at the first fetch and closed with the store, so a job
// with many certificate layers starts and shuts NSS down once. Every key found in it must be let go
// before the store goes.
class NssKeyStore final : public KeyStore {
public:
    NssKeyStore(std::string storeDirectory, StorePasswordPrompt prompt)
        : directory_(std::move(storeDirectory)), prompt_(std::move(prompt)) {}

    std::unique_ptr<RecipientKey> findRecipientKey(const std::string& certificateDer,
                                                   const std::string& name) override {
        // The store is searched for exactly the certificate's own encoding, without what may trail it.
        const auto* start = reinterpret_cast<const unsigned char*>(certificateDer.data());
        const unsigned char* cursor = start;
        const X509Ptr certificate(certificateDer.size() > static_cast<std::size_t>(LONG_MAX)
                                      ? nullptr
                                      : d2i_X509(nullptr, &cursor, static_cast<long>(certificateDer.size())));
        if (!certificate) {
            throw errorDef::error_message("Decryption Certificate of \"" + name + "\" not found");
        }
        if (!database_) {
            database_ = openNssDatabase(directory_);
        }
        return std::make_unique<StoreKeyAccess>(
            prompt_, certificateDer.substr(0, static_cast<std::size_t>(cursor - start)), name);
    }

private:
    std::string directory_;
    StorePasswordPrompt prompt_;
    NssDatabase database_;
};

} // namespace

std::unique_ptr<KeyStore> openUserKeyStore(const std::string& storeDirectory, StorePasswordPrompt prompt) {
    return std::make_unique<NssKeyStore>(storeDirectory, std::move(prompt));
}

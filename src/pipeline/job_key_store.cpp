#include "pipeline/job_key_store.h"

#include "pipeline/job_ui.h"

#include <utility>

JobKeyStore::JobKeyStore(KeyStoreOpener opener, std::string directory, JobUi& ui)
    : opener_(std::move(opener)), directory_(std::move(directory)), ui_(ui) {}

KeyStore& JobKeyStore::get() {
    if (!store_) {
        JobUi& ui = ui_;
        store_ = opener_(directory_, [&ui](const std::string& tokenName, bool retry) {
            return ui.askStorePassword(tokenName, retry);
        });
    }
    return *store_;
}

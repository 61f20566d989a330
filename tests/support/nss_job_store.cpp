#include "support/job_harness.h"
#include "support/nss_test_store.h"

#include <filesystem>

void JobHarness::makeStore(const testdoc::Identity& holder, const std::string& password) {
    std::filesystem::create_directory(settings.keyStoreDirectory);
    NssTestStore(settings.keyStoreDirectory, password).importPkcs12(testdoc::pkcs12(holder));
}

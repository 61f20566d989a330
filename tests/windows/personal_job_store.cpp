#include "my_store_import.h"
#include "support/job_harness.h"

#include <stdexcept>

void JobHarness::makeStore(const testdoc::Identity& holder, const std::string& password) {
    if (!password.empty()) {
        throw std::invalid_argument("the personal store has no password of its own");
    }
    const std::string failed = importIntoPersonalStore(testdoc::pkcs12(holder, "import"), "import", true);
    if (!failed.empty()) {
        throw std::runtime_error("cannot import into the personal store: " + failed);
    }
}

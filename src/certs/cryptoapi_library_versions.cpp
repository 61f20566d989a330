#include "certs/library_versions.h"

#include <openssl/crypto.h>

std::vector<std::string> cryptoLibraryVersions() {
    // The personal store is part of Windows itself; only OpenSSL is linked in.
    return {OpenSSL_version(OPENSSL_VERSION)};
}

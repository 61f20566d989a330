#include "certs/library_versions.h"

#include <nss.h>
#include <openssl/crypto.h>

std::vector<std::string> cryptoLibraryVersions() {
    // Both report the library actually loaded, not the headers built against; NSS answers without
    // being initialised.
    return {OpenSSL_version(OPENSSL_VERSION), std::string("NSS ") + NSS_GetVersion()};
}

#include "e2eCrypto/verification_store.h"

#include <openssl/pem.h>

#include "platform/file_io.h"
#include "platform/utf8_path.h"

#include <cstdio>
#include <filesystem>
#include <regex>

namespace {

// A CA file is named by its subject hash and a sequence number, as the library's directory lookup names it.
bool isHashedName(const std::string& name) {
    static const std::regex hashed("[0-9a-f]{8}\\.[0-9]+");
    return std::regex_match(name, hashed);
}

// Adds every certificate of a regular PEM file. The file is opened without waiting and looked at
// before it is read, so a FIFO or a device under a CA file's name is passed over instead of
// blocking the verification.
void addCertificatesOfFile(X509_STORE* store, const std::string& path) {
    const int descriptor = platform::openRegularFile(path);
    if (descriptor < 0) {
        return;
    }
    std::FILE* file = platform::readStreamOf(descriptor);
    if (file == nullptr) {
        platform::closeFile(descriptor);
        return;
    }
    const BioPtr channel(BIO_new_fp(file, BIO_CLOSE));
    if (!channel) {
        std::fclose(file);
        return;
    }
    while (X509* read = PEM_read_bio_X509_AUX(channel.get(), nullptr, nullptr, nullptr)) {
        const X509Ptr certificate(read);
        X509_STORE_add_cert(store, certificate.get());
    }
}

// The CA directory is read once, when the store is made, rather than looked up file by file while
// chains are built.
void addCertificateDirectory(X509_STORE* store, const char* directory) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(platform::utf8Path(directory), error), end;
         !error && entry != end; entry.increment(error)) {
        if (isHashedName(platform::utf8String(entry->path().filename()))) {
            addCertificatesOfFile(store, platform::utf8String(entry->path()));
        }
    }
}

} // namespace

int chainVerifyCallback(int ok, X509_STORE_CTX* context) {
    if (ok != 0) {
        return ok;
    }
    if (X509_STORE_CTX_get_error_depth(context) <= chainDepthLimit) {
        X509_STORE_CTX_set_error(context, X509_V_OK);
        return 1;
    }
    X509_STORE_CTX_set_error(context, X509_V_ERR_CERT_CHAIN_TOO_LONG);
    return 0;
}

X509StorePtr makeVerificationStore() {
    X509StorePtr store(X509_STORE_new());
    if (!store) {
        return store;
    }
    // Neither location has to exist: a missing one just contributes no certificates.
    X509_STORE_set_default_paths(store.get());
    addCertificateDirectory(store.get(), caCertificateDirectory);
    X509_STORE_set_verify_cb(store.get(), chainVerifyCallback);
    return store;
}

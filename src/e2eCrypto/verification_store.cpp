#include "e2eCrypto/verification_store.h"

namespace {
constexpr int toleratedDepth = 5;
} // namespace

int chainVerifyCallback(int ok, X509_STORE_CTX* context) {
    if (ok != 0) {
        return ok;
    }
    if (X509_STORE_CTX_get_error_depth(context) <= toleratedDepth) {
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
    X509_STORE_load_path(store.get(), caCertificateDirectory);
    X509_STORE_set_verify_cb(store.get(), chainVerifyCallback);
    return store;
}

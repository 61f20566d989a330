#include "e2eCrypto/signer_chain.h"

#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/subject_line.h"

namespace {

int reportAsFound(int ok, X509_STORE_CTX*) {
    return ok;
}

// With the store's tolerant callback, or strictly (dates aside, as they are judged on their own).
// subjects, when given, receives the chain that was built.
bool verifyChain(X509_STORE* store, X509* certificate, STACK_OF(X509) * untrusted, bool strictly,
                 std::vector<std::string>* subjects) {
    const X509StoreCtxPtr context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store, certificate, untrusted) != 1) {
        return false;
    }
    X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SMIME_SIGN);
    if (strictly) {
        X509_STORE_CTX_set_verify_cb(context.get(), reportAsFound);
        X509_VERIFY_PARAM_set_flags(X509_STORE_CTX_get0_param(context.get()), X509_V_FLAG_NO_CHECK_TIME);
    }
    const bool verified = X509_verify_cert(context.get()) > 0;
    const STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(context.get());
    for (int i = 0; subjects != nullptr && i < sk_X509_num(chain); ++i) {
        subjects->push_back(subjectOneLine(X509_get_subject_name(sk_X509_value(chain, i))));
    }
    return verified;
}

} // namespace

SignerChain checkSignerChain(X509_STORE* store, X509* certificate, STACK_OF(X509) * untrusted) {
    SignerChain chain;
    if (store == nullptr || certificate == nullptr) {
        return chain;
    }
    chain.acceptable = verifyChain(store, certificate, untrusted, false, nullptr);
    chain.trusted = verifyChain(store, certificate, untrusted, true, &chain.subjects);
    return chain;
}

#include "e2eCrypto/signer_chain.h"

#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/subject_line.h"
#include "e2eCrypto/verification_store.h"

#include <openssl/x509v3.h>

namespace {

bool isDateError(int error) {
    return error == X509_V_ERR_CERT_HAS_EXPIRED || error == X509_V_ERR_CERT_NOT_YET_VALID ||
           error == X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD ||
           error == X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD;
}

// The library refuses anyExtendedKeyUsage for e-mail; it allows every purpose, so a certificate
// that carries it, and allows signing by its keyUsage when it is the signer's, is fit.
bool fitThroughAnyUsage(X509* certificate, int depth) {
    if ((X509_get_extended_key_usage(certificate) & XKU_ANYEKU) == 0) {
        return false;
    }
    return depth > 0 || (X509_get_key_usage(certificate) & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)) != 0;
}

// Stops at the first fault, except the signer's own dates and an any-usage purpose.
int judgeStrictly(int ok, X509_STORE_CTX* context) {
    if (ok != 0) {
        return ok;
    }
    const int error = X509_STORE_CTX_get_error(context);
    const int depth = X509_STORE_CTX_get_error_depth(context);
    X509* certificate = X509_STORE_CTX_get_current_cert(context);
    if ((depth == 0 && isDateError(error)) ||
        (error == X509_V_ERR_INVALID_PURPOSE && certificate != nullptr &&
         fitThroughAnyUsage(certificate, depth))) {
        X509_STORE_CTX_set_error(context, X509_V_OK);
        return 1;
    }
    return 0;
}

ChainProblem problemOf(int error) {
    switch (error) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
        return ChainProblem::ExpiredAuthority;
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
        return ChainProblem::NotYetValidAuthority;
    case X509_V_ERR_CA_MD_TOO_WEAK:
    case X509_V_ERR_CA_KEY_TOO_SMALL:
    case X509_V_ERR_EE_KEY_TOO_SMALL:
        return ChainProblem::WeakAlgorithm;
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_PATH_LENGTH_EXCEEDED:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
        return ChainProblem::NotACa;
    case X509_V_ERR_INVALID_PURPOSE:
        return ChainProblem::UnfitForSigning;
    case X509_V_ERR_CERT_CHAIN_TOO_LONG:
        return ChainProblem::TooLong;
    default:
        // No root reached, a signature that does not verify, or a fault no other reason names:
        // no authority we know stands behind the certificate.
        return ChainProblem::UnknownAuthority;
    }
}

struct ChainRun {
    bool verified = false;
    int error = X509_V_OK;
};

// With the store's own tolerant callback (which fails only a chain past the depth limit), or strictly
// at checkTime and within that limit. subjects, when given, receives the chain that was built.
ChainRun verifyChain(X509_STORE* store, X509* certificate, STACK_OF(X509) * untrusted,
                     const std::time_t* checkTime, std::vector<std::string>* subjects) {
    const X509StoreCtxPtr context(X509_STORE_CTX_new());
    if (!context || X509_STORE_CTX_init(context.get(), store, certificate, untrusted) != 1) {
        return {};
    }
    X509_STORE_CTX_set_purpose(context.get(), X509_PURPOSE_SMIME_SIGN);
    if (checkTime != nullptr) {
        X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
        X509_STORE_CTX_set_verify_cb(context.get(), judgeStrictly);
        X509_VERIFY_PARAM_set_time(parameters, *checkTime);
        // MD5 and keys below 1024 bits never make a chain trusted.
        X509_VERIFY_PARAM_set_auth_level(parameters, 1);
        X509_VERIFY_PARAM_set_depth(parameters, chainDepthLimit);
    }
    ChainRun run;
    run.verified = X509_verify_cert(context.get()) > 0;
    run.error = X509_STORE_CTX_get_error(context.get());
    const STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(context.get());
    for (int i = 0; subjects != nullptr && i < sk_X509_num(chain); ++i) {
        subjects->push_back(subjectOneLine(X509_get_subject_name(sk_X509_value(chain, i))));
    }
    return run;
}

} // namespace

SignerChain checkSignerChain(X509_STORE* store, X509* certificate, STACK_OF(X509) * untrusted,
                             std::time_t checkTime) {
    SignerChain chain;
    if (store == nullptr || certificate == nullptr) {
        return chain;
    }
    // The store's callback fails only a chain past its depth limit.
    const bool withinDepth = verifyChain(store, certificate, untrusted, nullptr, nullptr).verified;
    const ChainRun strict = verifyChain(store, certificate, untrusted, &checkTime, &chain.subjects);
    chain.problem = !withinDepth      ? ChainProblem::TooLong
                    : strict.verified ? ChainProblem::None
                                      : problemOf(strict.error);
    chain.trusted = chain.problem == ChainProblem::None;
    return chain;
}

#include "certs/certificate_tools.h"

#include "certs/certificate_loader.h"
#include "certs/revocation_check.h"
#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/string_tokenizer.h"
#include "e2eCrypto/subject_line.h"
#include "e2eCrypto/verification_store.h"

#include <openssl/crypto.h>
#include <openssl/provider.h>

#include <ctime>
#include <utility>

namespace {

// The library initialises itself and allocates with malloc from its first call on, so the memory
// functions are left alone. The legacy provider is added beside the default one (which stays
// available) so that password-less PKCS#12 files written by older tools can be read; it stays loaded
// for the life of the process, and is null where it is not installed.
OSSL_PROVIDER* setUpLibrary() {
    OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS, nullptr);
    return OSSL_PROVIDER_try_load(nullptr, "legacy", 1);
}

} // namespace

CertificateTools::CertificateTools(CaStoreMaker makeCaStore) : makeCaStore_(std::move(makeCaStore)) {
    static OSSL_PROVIDER* const legacyProvider = setUpLibrary();
    (void)legacyProvider;
}

X509_STORE* CertificateTools::caStore() const {
    if (!caStore_) {
        caStore_ = makeCaStore_();
    }
    return caStore_.get(); // null only when memory ran out: the verification then makes its own
}

SignedContent CertificateTools::verifySignature(std::string_view content, DigestSelector digestSelector,
                                                RevocationChoice revocation,
                                                const std::string& crlPath) const {
    return ::verifySignature(content, digestSelector, revocation, crlPath, checkRevocationWithCrlFile,
                             caStore());
}

SignedContent CertificateTools::verifySignature(std::string&& content, DigestSelector digestSelector,
                                                RevocationChoice revocation, const std::string& crlPath,
                                                ArmourForm form) const {
    return ::verifySignature(std::move(content), digestSelector, revocation, crlPath,
                             checkRevocationWithCrlFile, caStore(), form);
}

X509Ptr CertificateTools::loadCertificate(const std::string& source, bool sourceIsFile) const {
    return ::loadCertificate(source, sourceIsFile);
}

bool CertificateTools::isExpired(const std::string& source, bool& notYetValidFlag, bool sourceIsFile) const {
    const CertificateValidity validity =
        validityAt(*loadCertificate(source, sourceIsFile), std::time(nullptr));
    if (validity.notYetValid) {
        notYetValidFlag = true;
    }
    return validity.expired;
}

std::string CertificateTools::commonName(const std::string& source, bool sourceIsFile) const {
    return commonName(*loadCertificate(source, sourceIsFile));
}

std::string CertificateTools::commonName(const X509& certificate) const {
    StringTokenizer tokenizer(subjectOneLine(X509_get_subject_name(&certificate)));
    tokenizer.setDelimiters("/");
    std::string name;
    while (tokenizer.position() != StringTokenizer::none) {
        std::string token = tokenizer.nextToken();
        if (token.starts_with("CN")) {
            name = std::move(token);
        }
    }
    return name;
}

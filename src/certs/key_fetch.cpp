#include "certs/certificate_tools.h"
#include "certs/key_store.h"
#include "e2eCrypto/base64.h"

namespace {

// The name in the store's messages: what follows the first "=" of "CN=...", else the whole text.
std::string nameForMessages(const std::string& certificateText) {
    const std::string commonName = CertificateTools().commonName(certificateText, false);
    const std::size_t equals = commonName.find('=');
    return equals == std::string::npos ? commonName : commonName.substr(equals + 1);
}

} // namespace

std::unique_ptr<RecipientKey> fetchDecryptionKey(const std::string& certificateText, KeyStore& store) {
    const std::string certificateDer = decodeBase64(certificateText);
    return store.findRecipientKey(certificateDer, nameForMessages(certificateText));
}

#include "certs/certificate_tools.h"
#include "certs/key_store.h"
#include "certs/private_key_blob.h"
#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"

namespace {

// The name in the store's messages: what follows the first "=" of "CN=...", else the whole text.
std::string nameForMessages(const std::string& certificateText) {
    const std::string commonName = CertificateTools().commonName(certificateText, false);
    const std::size_t equals = commonName.find('=');
    return equals == std::string::npos ? commonName : commonName.substr(equals + 1);
}

} // namespace

SecretString fetchDecryptionKey(const std::string& certificateText, const SecretString& passPhrase,
                                KeyStore& store) {
    const std::string certificateDer = decodeBase64(certificateText);
    const SecretString blob = store.exportPrivateKeyBlob(certificateDer, nameForMessages(certificateText));
    SecretString pem = privateKeyBlobToPem(blob.view(), passPhrase);
    if (pem.empty()) {
        throw errorDef::error_message("CAPI conversion failed");
    }
    return pem;
}

#include "certs/certificate_tools.h"

#include "e2eCrypto/decryption.h"

void CertificateTools::decryptData(std::string_view input, std::string& output, const SecretString& key,
                                   const SecretString& keyPassword, int decryptMode, int keyFormat) const {
    ::decryptData(input, output, key, keyPassword, decryptMode, keyFormat);
}

void CertificateTools::decryptData(std::string_view input, std::string& output, RecipientKey& key,
                                   int decryptMode, int keyFormat,
                                   std::string_view recipientCertificateDer) const {
    ::decryptData(input, output, key, decryptMode, keyFormat, recipientCertificateDer);
}

void CertificateTools::decryptDataWithin(std::string& buffer, std::string_view input, const SecretString& key,
                                         const SecretString& keyPassword, int decryptMode,
                                         int keyFormat) const {
    ::decryptDataWithin(buffer, input, key, keyPassword, decryptMode, keyFormat);
}

void CertificateTools::decryptDataWithin(std::string& buffer, std::string_view input, RecipientKey& key,
                                         int decryptMode, int keyFormat,
                                         std::string_view recipientCertificateDer, ArmourForm form) const {
    ::decryptDataWithin(buffer, input, key, decryptMode, keyFormat, recipientCertificateDer, form);
}

std::string CertificateTools::hashPassPhrase(std::string_view passPhrase) const {
    return ::hashPassPhrase(passPhrase);
}

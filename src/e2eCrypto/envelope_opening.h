#pragma once
// Opening envelopedData by hand on the library's public structures: the library's own decoder hands
// back garbage instead of failing when the private key does not fit, which must never pass as a
// decrypted document.
#include "e2eCrypto/openssl_handles.h"

#include <string>

// The content cipher keyed for decryption with the content key of one recipient: the key is
// decrypted with privateKey (RSA, PKCS#1 v1.5) and must have the cipher's key length, and the IV is
// the algorithm parameter, an OCTET STRING of the cipher's IV length. Null when any of that fails.
EvpCipherCtxPtr openEnvelope(const EVP_CIPHER& cipher, const X509_ALGOR& algorithm, const PKCS7_RECIP_INFO& recipient,
                             EVP_PKEY& privateKey);

// Replaces plaintext with the content of envelopedData. The recipients whose issuer and serial
// number match recipientCertificate are tried, or every recipient in turn when none matches or no
// certificate is given. False when the structure is no envelopedData, has no recipient, or no tried
// recipient yields the content with a sound last block. A content cipher other than DES-EDE3-CBC and
// AES-128/192/256-CBC throws e2eError::error_message.
bool decryptEnvelope(const PKCS7& envelope, EVP_PKEY& privateKey, const X509* recipientCertificate,
                     std::string& plaintext);

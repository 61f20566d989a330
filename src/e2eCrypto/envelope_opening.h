#pragma once
// Opening envelopedData. The library's CMS code parses the structure and names the recipients (by
// issuer and serial number or by subject key identifier); the recipient's key, where it lives,
// decrypts the content key (RSA with PKCS#1 v1.5 or OAEP padding) or agrees on the key that wraps it
// (elliptic-curve Diffie-Hellman); the content is decrypted here, straight into the caller's buffer,
// with its last block checked. A content key that does not fit fails plainly and never passes as a
// decrypted document.
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/recipient_key.h"

#include <string>

// Replaces plaintext with the content of envelopedData. The recipients of the key's kind (key
// transport for RSA, key agreement for elliptic curves) that recipientCertificate names are tried, or
// every one in turn when none matches or no certificate is given. False when the structure is no
// envelopedData or carries no encrypted content, or no tried recipient yields the content with a
// sound last block. Throws e2eError::error_message "This encryption algorithm is not supported in
// this version" for a content cipher other than DES-EDE3-CBC and AES-128/192/256-CBC, and for an
// envelope without any recipient of the key's kind and of a scheme this reader knows (other key
// agreements, key-encryption key, password only).
bool decryptEnvelope(CMS_ContentInfo& envelope, RecipientKey& key, X509* recipientCertificate,
                     std::string& plaintext);

// The same for an envelope parsed with an empty content in place of its encrypted content, which
// buffer holds: buffer is decrypted onto itself and cut to the plaintext. False as above, and then
// buffer is wiped or holds the ciphertext still.
bool decryptEnvelopeWithin(CMS_ContentInfo& envelope, RecipientKey& key, X509* recipientCertificate,
                           std::string& buffer);

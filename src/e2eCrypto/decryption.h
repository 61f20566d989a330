#pragma once
// Removing the encryption of a pass-phrase layer (mode 1) or a certificate-encrypted layer (mode 3).
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/recipient_key.h"
#include "e2eCrypto/secret_string.h"

#include <string>
#include <string_view>

enum DecryptMode : int { PassPhraseMode = 1, PrivateKeyMode = 3 };
inline constexpr int supportedKeyFormat = 3;

// Mode 1: input is the raw ciphertext, key the pass phrase, keyPassword unused. A text key in mode 3
// is refused ("Invalid Private key"): the recipient's key is used where it lives, by the overload
// below. output is replaced by the plaintext on success and untouched on failure; failures throw.
void decryptData(std::string_view input, std::string& output, const SecretString& key,
                 const SecretString& keyPassword, int decryptMode, int keyFormat);

// Mode 3: input is the PKCS#7 armour of envelopedData, key the recipient's private key where it
// lives, and recipientCertificateDer the certificate the layer names (DER, may be empty): the
// recipient it names (by issuer and serial number or by subject key identifier) is opened, else each
// recipient of the key's kind in turn. The common checks come first, as for the other overload.
void decryptData(std::string_view input, std::string& output, RecipientKey& key, int decryptMode,
                 int keyFormat, std::string_view recipientCertificateDer = {});

// The same for an input that lies in buffer and that the caller gives up: every step works in
// buffer's own storage, which holds the plaintext on success, so a large layer is not held twice
// (a certificate-encrypted layer once more inside the parsed envelope). buffer is left empty when the
// call fails. recipientCertificateDer must not lie in buffer. A mode 3 input in ArmourForm::Decoded is
// the whole buffer, the armour's DER, never empty.
void decryptDataWithin(std::string& buffer, std::string_view input, const SecretString& key,
                       const SecretString& keyPassword, int decryptMode, int keyFormat);
void decryptDataWithin(std::string& buffer, std::string_view input, RecipientKey& key, int decryptMode,
                       int keyFormat, std::string_view recipientCertificateDer = {},
                       ArmourForm form = ArmourForm::Text);

// The check value of a pass phrase: Base64 of its SHA-1 digest (30 bytes with CR LF), or empty
// when the digest begins with a zero byte.
std::string hashPassPhrase(std::string_view passPhrase);

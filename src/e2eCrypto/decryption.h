#pragma once
// Removing the encryption of a pass-phrase layer (mode 1) or a certificate-encrypted layer (mode 3).
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/secret_string.h"

#include <string>
#include <string_view>

enum DecryptMode : int { PassPhraseMode = 1, PrivateKeyMode = 3 };
inline constexpr int supportedKeyFormat = 3;

// Mode 1: input is the raw ciphertext, key the pass phrase. Mode 3: input is the PKCS#7 armour of
// envelopedData, key the encrypted PEM private key, keyPassword its password, and
// recipientCertificateDer the certificate the layer names (DER, may be empty): the recipient it names
// (by issuer and serial number or by subject key identifier) is opened, else each key-transport
// recipient in turn.
// output is replaced by the plaintext on success and untouched on failure; failures throw.
void decryptData(std::string_view input, std::string& output, const SecretString& key,
                 const SecretString& keyPassword, int decryptMode, int keyFormat,
                 std::string_view recipientCertificateDer = {});

// The same for an input that lies in buffer and that the caller gives up: every step works in
// buffer's own storage, which holds the plaintext on success, so a large layer is not held twice
// (a certificate-encrypted layer once more inside the parsed envelope). buffer is left empty when the
// call fails. recipientCertificateDer must not lie in buffer. A mode 3 input in ArmourForm::Decoded is
// the whole buffer, the armour's DER, never empty.
void decryptDataWithin(std::string& buffer, std::string_view input, const SecretString& key,
                       const SecretString& keyPassword, int decryptMode, int keyFormat,
                       std::string_view recipientCertificateDer = {}, ArmourForm form = ArmourForm::Text);

// The check value of a pass phrase: Base64 of its SHA-1 digest (30 bytes with CR LF), or empty
// when the digest begins with a zero byte.
std::string hashPassPhrase(std::string_view passPhrase);

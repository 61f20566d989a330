#pragma once
// The PRIVATEKEYBLOB form of an RSA key: an 8-byte header, the RSAPUBKEY (magic, bitlen, public
// exponent) and seven little-endian fields: modulus, prime1, prime2, exponent1, exponent2,
// coefficient (bitlen/8 or bitlen/16 bytes each) and privateExponent.
#include "e2eCrypto/openssl_handles.h"
#include "e2eCrypto/secret_string.h"

#include <string_view>

// A big number from a little-endian field; null when memory runs out.
BignumPtr littleEndianToBignum(std::string_view field);

// The blob of an RSA key, bitlen being eight times the modulus length in bytes. Empty when the key is
// no RSA key, its public exponent does not fit 32 bits, or a component does not fit its field.
SecretString privateKeyBlobFromKey(const EVP_PKEY& key);

// The key in blob as traditional encrypted PEM "RSA PRIVATE KEY" (DES-EDE3-CBC) under passPhrase.
// Empty when the blob is shorter than its bitlen announces, its bitlen is 0 or above 16384, the pass
// phrase is empty, or no key can be made of it.
SecretString privateKeyBlobToPem(std::string_view blob, const SecretString& passPhrase);

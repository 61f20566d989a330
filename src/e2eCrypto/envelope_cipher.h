#pragma once
// The content cipher an envelopedData names, read from the start of its armour without decoding
// (or decrypting) the whole layer.
#include <optional>
#include <string>
#include <string_view>

// OpenSSL's short name of the content-encryption algorithm ("DES-EDE3-CBC", "AES-256-CBC"), or its
// dotted OID when the library has no name for it; nothing when the armour's start is no
// envelopedData.
std::optional<std::string> envelopeCipherName(std::string_view armour);

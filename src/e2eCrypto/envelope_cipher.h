#pragma once
// The content cipher an envelopedData names, read from the start of its armour without decoding
// (or decrypting) the whole layer.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// OpenSSL's short name of the content-encryption algorithm ("DES-EDE3-CBC", "AES-256-CBC"), or its
// dotted OID when the library has no name for it; nothing when the armour's start is no
// envelopedData.
std::optional<std::string> envelopeCipherName(std::string_view armour);
// The same for an armour read as its DER (see readDecodingArmour), of which decodedBeforeEnd bytes
// came before its END marker: only as much of the DER is read as the armour's start gives.
std::optional<std::string> envelopeCipherNameOfDer(std::string_view der, std::size_t decodedBeforeEnd);

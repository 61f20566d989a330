#pragma once
// Reading a document whose outermost layer is a signed layer or a certificate-encrypted layer while
// decoding the Base64 of its PKCS#7 armour: each piece is decoded in place behind the place it was
// read to, and the pages in between are handed back, so a large document is never held as text.
#include "e2eCrypto/envelope_format.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// An outermost layer read as the DER its armour decodes to.
struct DecodedArmour {
    EnvelopeKind kind = EnvelopeKind::Pkcs7; // or EnvelopeKind::Asymmetric
    std::string certificateText;             // a certificate layer's, between its marker and "@@"
    std::size_t decodedBeforeEnd = 0;        // the bytes the body gave before its END marker
};

// Reads up to size bytes into buffer: the count, 0 at the end, negative on failure.
using DocumentBytes = std::function<std::int64_t(char* buffer, std::size_t size)>;

// Reads a document of size bytes into content (which keeps its room), pieceSize bytes at a time,
// counted as a decoding pass. Gives the layer, with content its DER, only when the whole text
// would be recognised as that layer, its armour (opening the document, or the certificate layer
// right after its "@@") would be decoded to the same bytes without a failure, and they are not
// none. Otherwise gives nothing, and the document is to be read on as text for the layer steps to
// find what they find in it: content then holds the bytes read so far when the document is no such
// layer, or is empty when its reading has to start again.
std::optional<DecodedArmour> readDecodingArmour(std::string& content, std::uint64_t size,
                                                const DocumentBytes& read, std::size_t pieceSize);

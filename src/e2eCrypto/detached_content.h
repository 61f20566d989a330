#pragma once
// Finding the content inside the DER of a signedData or an envelopedData, so that the structure can
// be parsed without the library copying the content out of it: a large document's content is then
// verified or decrypted where it was decoded.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct DetachedContent {
    std::string skeleton;   // the DER with the content's value left empty
    std::size_t offset = 0; // where the content's value starts in the DER
    std::size_t length = 0;
};

// Null unless der is a ContentInfo of type envelopedData in definite lengths, whose encrypted
// content is one primitive value at the end of its EncryptedContentInfo: anything else is parsed
// whole, as it stands.
std::optional<DetachedContent> detachEnvelopeContent(std::string_view der);

// Null unless der is a ContentInfo of type signedData in definite lengths, whose encapsulated
// content is one primitive OCTET STRING filling its explicit tag at the end of its
// EncapsulatedContentInfo: anything else is parsed whole, as it stands.
std::optional<DetachedContent> detachSignedContent(std::string_view der);

#pragma once
// The layers of a secured document and how the outermost one is recognised.
#include <string>
#include <string_view>

enum class EnvelopeKind : int {
    Symmetric = 1,    // pass-phrase layer
    Asymmetric = 2,   // certificate-encrypted layer
    Pkcs7 = 3,        // signed layer (PKCS#7 armour)
    Unrecognised = 5, // plain content
};

namespace envelope {
inline constexpr std::string_view pkcs7Begin = "-----BEGIN PKCS7-----";
inline constexpr std::string_view pkcs7End = "-----END PKCS7-----";
inline constexpr std::string_view symmetricMarker = "-----SYMMETRIC-----";
inline constexpr std::string_view asymmetricMarker = "-----ID353-3CBC-----@@";
inline constexpr std::string_view certificateEnd = "@@";
inline constexpr char symmetricSeparator = '|';
} // namespace envelope

// How a signed or certificate-encrypted layer reaches the step that removes it: as the text of its
// PKCS#7 armour, or as the DER that armour decodes to, when it was decoded as its document was read.
enum class ArmourForm { Text, Decoded };

// Names the outermost layer. Throws errorDef::error_message "Invalid PKCS7 format" when a BEGIN
// marker has no END marker after byte 21, and the decoder's message for a bad body.
EnvelopeKind classifyEnvelope(std::string_view content);

// Cuts a PKCS#7 armour out of a layer and decodes it: the body always starts at byte 21 (the BEGIN
// marker must open the layer), the first END marker after it is removed and whatever follows it is
// decoded too. A missing marker throws errorDef::error_message with the caller's message.
std::string decodePkcs7Armour(std::string_view layer, const char* noBeginMessage, const char* noEndMessage);
// The same for a layer that lies in buffer: buffer becomes the decoded bytes, made in its own storage
// (see decodeBase64Within). A missing marker leaves buffer as it was, a bad body leaves it empty.
void decodePkcs7ArmourWithin(std::string& buffer, std::string_view layer, const char* noBeginMessage,
                             const char* noEndMessage);

// The fields of a pass-phrase layer: the check value between the first two "|" after the marker
// and the Base64 body after the second. Both are empty when the layer has fewer than two "|".
struct SymmetricLayer {
    std::string_view checkField;
    std::string_view body;
};
SymmetricLayer splitSymmetricLayer(std::string_view layer);

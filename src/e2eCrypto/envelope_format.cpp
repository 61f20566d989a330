#include "e2eCrypto/envelope_format.h"

#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"

#include <algorithm>

namespace {

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The Base64 of an armour, in two pieces: the body starts right after where the BEGIN marker would
// stand at byte 0, wherever it was found; the first END marker after it is cut out, and whatever
// follows it belongs to the body too.
struct ArmourBody {
    std::string_view beforeEnd;
    std::string_view afterEnd;
};

ArmourBody armourBody(std::string_view layer, const char* noBeginMessage, const char* noEndMessage) {
    if (layer.find(envelope::pkcs7Begin) == std::string_view::npos) {
        throw errorDef::error_message(noBeginMessage);
    }
    const std::string_view body = layer.substr(std::min(layer.size(), envelope::pkcs7Begin.size()));
    const std::size_t end = body.find(envelope::pkcs7End);
    if (end == std::string_view::npos) {
        throw errorDef::error_message(noEndMessage);
    }
    return {body.substr(0, end), body.substr(end + envelope::pkcs7End.size())};
}

} // namespace

EnvelopeKind classifyEnvelope(std::string_view content) {
    if (startsWith(content, envelope::symmetricMarker)) {
        return EnvelopeKind::Symmetric;
    }
    if (startsWith(content, envelope::asymmetricMarker)) {
        return EnvelopeKind::Asymmetric;
    }
    if (content.find(envelope::pkcs7Begin) == std::string_view::npos) {
        return EnvelopeKind::Unrecognised;
    }
    // Checked, not decoded: the layer is decoded once, when it is removed.
    const ArmourBody body = armourBody(content, "", "Invalid PKCS7 format");
    checkBase64(body.beforeEnd, body.afterEnd);
    return EnvelopeKind::Pkcs7;
}

std::string decodePkcs7Armour(std::string_view layer, const char* noBeginMessage, const char* noEndMessage) {
    const ArmourBody body = armourBody(layer, noBeginMessage, noEndMessage);
    return decodeBase64(body.beforeEnd, body.afterEnd);
}

void decodePkcs7ArmourWithin(std::string& buffer, std::string_view layer, const char* noBeginMessage,
                             const char* noEndMessage) {
    const ArmourBody body = armourBody(layer, noBeginMessage, noEndMessage);
    decodeBase64Within(buffer, body.beforeEnd, body.afterEnd);
}

SymmetricLayer splitSymmetricLayer(std::string_view layer) {
    const std::string_view afterMarker =
        layer.substr(std::min(layer.size(), envelope::symmetricMarker.size()));
    const std::size_t first = afterMarker.find(envelope::symmetricSeparator);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t second = afterMarker.find(envelope::symmetricSeparator, first + 1);
    if (second == std::string_view::npos) {
        return {};
    }
    return {afterMarker.substr(first + 1, second - first - 1), afterMarker.substr(second + 1)};
}

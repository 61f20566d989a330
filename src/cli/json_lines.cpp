#include "json_lines.h"

#include <cstdio>

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when none starts there.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
        value = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u) {
            return 0;
        }
        value = (value << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

// A byte that is no part of valid UTF-8 (0x80 to 0xFF) becomes the escape of the lone surrogate
// U+DC80 to U+DCFF, so the line stays JSON and the byte can be recovered (the "surrogateescape"
// convention).
std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8Length(text, i);
            if (length == 0) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\udc%02x", c);
                out += escaped;
            } else {
                out += text.substr(i, length);
            }
            i += length == 0 ? 1 : length;
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

namespace {

std::string verdictObject(const SignatureVerdict& verdict) {
    return "{\"header\":" + jsonString(verdict.header) + ",\"signer\":" + jsonString(verdict.description) +
           ",\"signature\":" + jsonString(verdict.signatureText) +
           ",\"integrity\":" + jsonString(verdict.integrityText) +
           ",\"validity\":" + jsonString(verdict.validityText) +
           ",\"revocation\":" + jsonString(verdict.revocationText) + "}";
}

} // namespace

std::string statusName(FileStatus status) {
    switch (status) {
    case FileStatus::Saved:
        return "saved";
    case FileStatus::Failed:
        return "failed";
    case FileStatus::Skipped:
        return "skipped";
    case FileStatus::Declined:
        return "declined";
    case FileStatus::Cancelled:
        return "cancelled";
    case FileStatus::NotProcessed:
        break;
    }
    return "not-processed";
}

std::string layerName(EnvelopeKind kind) {
    switch (kind) {
    case EnvelopeKind::Symmetric:
        return "pass-phrase";
    case EnvelopeKind::Asymmetric:
        return "certificate";
    case EnvelopeKind::Pkcs7:
        return "signed";
    case EnvelopeKind::Unrecognised:
        break;
    }
    return "plain";
}

std::string jsonLine(const FileReport& report) {
    std::string layers;
    for (EnvelopeKind kind : report.layersRemoved) {
        layers += (layers.empty() ? "" : ",") + jsonString(layerName(kind));
    }
    std::string verdicts;
    for (const SignatureVerdict& verdict : report.verdicts) {
        verdicts += (verdicts.empty() ? "" : ",") + verdictObject(verdict);
    }
    return "{\"input\":" + jsonString(report.input) + ",\"output\":" + jsonString(report.output) +
           ",\"status\":" + jsonString(statusName(report.status)) + ",\"layers\":[" + layers +
           "],\"verdicts\":[" + verdicts + "],\"outcome\":" + jsonString(report.outcome) + "}";
}

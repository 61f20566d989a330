#include "inspect_command.h"

#include "cli_paths.h"
#include "document_input.h"
#include "exit_status.h"
#include "json_lines.h"
#include "json_writer.h"
#include "one_line.h"
#include "parsed_arguments.h"
#include "standard_output.h"

#include "certs/certificate_tools.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/whole_file.h"
#include "pipeline/certificate_layer_facts.h"

#include <cstdio>
#include <ctime>
#include <optional>

namespace {

struct InspectedLayer {
    EnvelopeKind kind = EnvelopeKind::Unrecognised;
    std::size_t size = 0; // the layer with all it holds
    std::optional<SignatureVerdict> verdict;
    std::optional<CertificateLayerFacts> certificate;
};

struct Inspection {
    bool read = false;
    std::vector<InspectedLayer> layers; // outermost first
    std::string error;                  // the message that stopped the inspection
    const char* errorKind = "error";

    // The message with the document's name: name as it is to be shown.
    std::string namedError(const std::string& name) const {
        return read ? name + ": " + error : name + " " + error;
    }

    bool secured() const {
        return error.empty() && !layers.empty() && layers.front().kind != EnvelopeKind::Unrecognised;
    }
};

// The layers as far as they can be seen without decrypting: signed layers are verified and
// looked into, an encrypted layer ends the walk. A layer is listed once it was found whole.
void walkLayers(const CertificateTools& tools, std::string content, Inspection& inspection) {
    const std::time_t now = std::time(nullptr);
    for (;;) {
        InspectedLayer layer;
        layer.kind = classifyEnvelope(content);
        layer.size = content.size();
        switch (layer.kind) {
        case EnvelopeKind::Unrecognised:
        case EnvelopeKind::Symmetric:
            inspection.layers.push_back(std::move(layer));
            return;
        case EnvelopeKind::Asymmetric:
            layer.certificate = describeCertificateLayer(tools, content, now);
            inspection.layers.push_back(std::move(layer));
            return;
        case EnvelopeKind::Pkcs7: {
            SignedContent signedContent =
                tools.verifySignature(content, DigestSelector::Sha1, RevocationChoice::Skip, std::string());
            layer.verdict = std::move(signedContent.verdict);
            content = std::move(signedContent.content);
            inspection.layers.push_back(std::move(layer));
            break;
        }
        }
    }
}

Inspection inspect(const CertificateTools& tools, const std::string& path) {
    Inspection inspection;
    std::string content;
    inspection.read = isStreamInput(path) ? readStreamInput(path, content) : ReadWholeFile(path, content);
    if (!inspection.read) {
        inspection.error = "file could not be read";
        return inspection;
    }
    try {
        walkLayers(tools, std::move(content), inspection);
    } catch (const errorDef::Fatal& error) {
        inspection.error = error.message;
        inspection.errorKind = "fatal";
    } catch (const ErrorRecord& error) {
        inspection.error = error.message;
    }
    return inspection;
}

std::string validityText(const RecipientFacts& recipient) {
    return "valid from " + recipient.notBefore.value_or("(unknown)") + " to " +
           recipient.notAfter.value_or("(unknown)") + (recipient.valid ? " (valid)" : " (not valid now)");
}

std::string layerText(const InspectedLayer& layer) {
    switch (layer.kind) {
    case EnvelopeKind::Unrecognised:
        return "plain content, " + std::to_string(layer.size) + " bytes";
    case EnvelopeKind::Symmetric:
        return "pass-phrase layer (what it holds needs the pass phrase)";
    case EnvelopeKind::Asymmetric: {
        const CertificateLayerFacts& facts = *layer.certificate;
        return "certificate-encrypted layer for " + facts.recipient.subject + ", serial " +
               facts.recipient.serial + ", " + validityText(facts.recipient) + ", cipher " +
               facts.cipher.value_or("(unknown)");
    }
    case EnvelopeKind::Pkcs7:
        break;
    }
    return "signed layer: " + layer.verdict->header + ", Signature: " + layer.verdict->signatureText;
}

std::string humanLines(const std::string& path, const Inspection& inspection) {
    if (!inspection.read) {
        return {};
    }
    std::string lines = shownName(path) + "\n";
    if (inspection.error.empty() && !inspection.secured()) {
        return lines + "  not a signed or encrypted document\n";
    }
    for (std::size_t i = 0; i < inspection.layers.size(); ++i) {
        lines += "  " + std::to_string(i + 1) + ". " + oneLine(layerText(inspection.layers[i])) + "\n";
    }
    // What stopped the walk, under the layers found before it.
    return inspection.error.empty()
               ? lines
               : lines + "  " + inspection.errorKind + ": " + oneLine(inspection.error) + "\n";
}

std::string layerJson(const InspectedLayer& layer) {
    JsonObject object;
    object.text("kind", layerName(layer.kind)).number("size", layer.size);
    if (layer.verdict) {
        object.raw("verdict", verdictJson(*layer.verdict));
    }
    if (layer.certificate) {
        object.raw("recipient", recipientJson(layer.certificate->recipient))
            .text("cipher", layer.certificate->cipher);
    }
    return object.str();
}

std::string jsonLine(const std::string& path, const Inspection& inspection) {
    std::vector<std::string> layers;
    for (const InspectedLayer& layer : inspection.layers) {
        layers.push_back(layerJson(layer));
    }
    const std::string status = !inspection.error.empty() ? "failed"
                               : inspection.secured()    ? "secured"
                                                         : "not-secured";
    return JsonObject()
        .text("input", path)
        .text("status", status)
        .raw("layers", jsonArray(layers))
        .text("outcome", inspection.error)
        .text("error", inspection.error.empty() ? std::nullopt : std::optional(inspection.namedError(path)))
        .str();
}

} // namespace

int InspectCommand::run(const std::vector<std::string>& arguments) {
    const ParsedArguments parsed = parseArguments(inspectDeclaration(), arguments);
    const bool json = parsed.last("--json").has_value();
    std::vector<std::string> inputs = parsed.operands;
    for (std::string& input : inputs) {
        input = input == "-" ? input : absolutePath(input);
    }
    if (inputs.empty()) {
        throw UsageError("inspect needs at least one INPUT");
    }
    const CertificateTools tools;
    StandardOutput out;
    bool allSecured = true;
    for (const std::string& input : inputs) {
        const Inspection inspection = inspect(tools, input);
        if (json) {
            out.record(jsonLine(input, inspection));
        } else {
            out.write(humanLines(input, inspection));
        }
        if (!inspection.error.empty()) {
            std::fprintf(stderr, "quillbox: %s: %s\n", inspection.errorKind,
                         oneLine(inspection.namedError(shownName(input))).c_str());
        }
        allSecured = allSecured && inspection.secured();
    }
    return out.finish(allSecured ? exitstatus::saved : exitstatus::failed);
}

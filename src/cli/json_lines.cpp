#include "json_lines.h"

#include "json_writer.h"

namespace {

// An ISO time the verification could not read is an empty text: null for scripts.
std::optional<std::string> timeOrNull(const std::string& time) {
    return time.empty() ? std::nullopt : std::optional<std::string>(time);
}

std::optional<std::string> nameOrNull(const char* name) {
    return *name == '\0' ? std::nullopt : std::optional<std::string>(name);
}

std::string revocationName(RevocationStatus status) {
    switch (status) {
    case RevocationStatus::NotRevoked:
        return "not-revoked";
    case RevocationStatus::Revoked:
        return "revoked";
    case RevocationStatus::Unknown:
        return "unknown";
    case RevocationStatus::NotChecked:
        break;
    }
    return "not-checked";
}

std::string crlJson(const std::optional<CrlFacts>& crl) {
    if (!crl) {
        return "null";
    }
    return JsonObject()
        .text("issuer", crl->issuer)
        .text("this_update", timeOrNull(crl->thisUpdate))
        .text("next_update", timeOrNull(crl->nextUpdate))
        .text("problem", nameOrNull(crlProblemName(crl->problem)))
        .str();
}

// [["C","US"],["CN","Test Signer"]]
std::string attributesJson(const std::vector<NameAttribute>& attributes) {
    std::vector<std::string> pairs;
    for (const NameAttribute& attribute : attributes) {
        pairs.push_back(jsonStringArray({attribute.name, attribute.value}));
    }
    return jsonArray(pairs);
}

std::string signerJson(const SignerFacts& signer) {
    return JsonObject()
        .text("subject", signer.subject)
        .text("issuer", signer.issuer)
        .raw("subject_attributes", attributesJson(signer.subjectAttributes))
        .raw("issuer_attributes", attributesJson(signer.issuerAttributes))
        .text("serial", signer.serial)
        .text("sha256", signer.sha256)
        .text("not_before", timeOrNull(signer.notBefore))
        .text("not_after", timeOrNull(signer.notAfter))
        .text("signing_time", signer.signingTime)
        .text("digest", signer.digest)
        .text("signature_algorithm", signer.signatureAlgorithm)
        .flag("signature_valid", signer.signatureValid)
        .flag("expired", signer.expired)
        .flag("not_yet_valid", signer.notYetValid)
        .text("revocation", revocationName(signer.revocation))
        .raw("crl", crlJson(signer.crl))
        .text("chain", signer.chainTrusted ? "trusted" : "untrusted")
        .text("chain_problem", nameOrNull(chainProblemName(signer.chainProblem)))
        .raw("chain_subjects", jsonStringArray(signer.chainSubjects))
        .str();
}

std::string layerNames(const std::vector<EnvelopeKind>& kinds) {
    std::vector<std::string> names;
    for (const EnvelopeKind kind : kinds) {
        names.push_back(layerName(kind));
    }
    return jsonStringArray(names);
}

} // namespace

std::string verdictJson(const SignatureVerdict& verdict) {
    std::vector<std::string> signers;
    for (const SignerFacts& signer : verdict.signers) {
        signers.push_back(signerJson(signer));
    }
    return JsonObject()
        .text("header", verdict.header)
        .text("signer", verdict.description)
        .text("signature", verdict.signatureText)
        .text("integrity", verdict.integrityText)
        .text("validity", verdict.validityText)
        .text("revocation", verdict.revocationText)
        .raw("signers", jsonArray(signers))
        .str();
}

std::string recipientJson(const RecipientFacts& recipient) {
    return JsonObject()
        .text("subject", recipient.subject)
        .text("serial", recipient.serial)
        .text("not_before", recipient.notBefore)
        .text("not_after", recipient.notAfter)
        .flag("valid", recipient.valid)
        .str();
}

std::string certificateLayerJson(const CertificateLayerFacts& layer) {
    return JsonObject().raw("recipient", recipientJson(layer.recipient)).text("cipher", layer.cipher).str();
}

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

namespace {

std::string reportLine(const FileReport& report, const std::string& status) {
    std::vector<std::string> verdicts;
    for (const SignatureVerdict& verdict : report.verdicts) {
        verdicts.push_back(verdictJson(verdict));
    }
    std::vector<std::string> certificateLayers;
    for (const CertificateLayerFacts& layer : report.certificateLayers) {
        certificateLayers.push_back(certificateLayerJson(layer));
    }
    return JsonObject()
        .text("input", report.input)
        .text("output", report.output)
        .text("status", status)
        .raw("layers", layerNames(report.layersRemoved))
        .raw("verdicts", jsonArray(verdicts))
        .text("outcome", report.outcome)
        .raw("layers_left", layerNames(report.layersLeft))
        .raw("certificate_layers", jsonArray(certificateLayers))
        .str();
}

} // namespace

std::string jsonLine(const FileReport& report) {
    return reportLine(report, statusName(report.status));
}

std::string interruptedJsonLine(const std::string& input, const std::string& output) {
    FileReport report;
    report.input = input;
    report.output = output;
    report.outcome = interruptedOutcome;
    return reportLine(report, "interrupted");
}

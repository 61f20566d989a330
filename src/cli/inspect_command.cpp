#include "inspect_command.h"

#include "cli_paths.h"
#include "exit_status.h"
#include "one_line.h"
#include "parsed_arguments.h"

#include "certs/certificate_tools.h"
#include "e2eCrypto/certificate_time.h"
#include "e2eCrypto/envelope_format.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/whole_file.h"
#include "pipeline/certificate_layer.h"

#include <openssl/asn1.h>

#include <cstdio>
#include <ctime>

namespace {

std::string isoTime(const ASN1_TIME* time) {
    std::tm when{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &when) != 1) {
        return "(unknown)";
    }
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &when);
    return text;
}

// The certificate is read once and judged against one reading of the clock.
std::string recipientLine(const CertificateTools& tools, const std::string& certificateText) {
    const X509Ptr certificate = tools.loadCertificate(certificateText, false);
    const CertificateValidity validity = validityAt(*certificate, std::time(nullptr));
    const std::string name = tools.commonName(*certificate);
    return "certificate-encrypted layer for " + (name.empty() ? std::string("(no common name)") : name) +
           ", valid from " + isoTime(X509_get0_notBefore(certificate.get())) + " to " +
           isoTime(X509_get0_notAfter(certificate.get())) + " (" +
           (validity.expired       ? "expired"
            : validity.notYetValid ? "not yet valid"
                                   : "valid") +
           ")";
}

// Prints the layers of one document on stdout; false when it is no secured document or is broken.
bool inspect(const CertificateTools& tools, const std::string& path) {
    std::string content;
    if (!ReadWholeFile(path, content)) {
        std::fprintf(stderr, "quillbox: error: %s file could not be read\n", oneLine(path).c_str());
        return false;
    }
    std::printf("%s\n", oneLine(path).c_str());
    for (int depth = 1;; ++depth) {
        switch (classifyEnvelope(content)) {
        case EnvelopeKind::Unrecognised:
            if (depth == 1) {
                std::printf("  not a signed or encrypted document\n");
                return false;
            }
            std::printf("  %d. plain content, %zu bytes\n", depth, content.size());
            return true;
        case EnvelopeKind::Symmetric:
            std::printf("  %d. pass-phrase layer (what it holds needs the pass phrase)\n", depth);
            return true;
        case EnvelopeKind::Asymmetric:
            std::printf(
                "  %d. %s\n", depth,
                oneLine(recipientLine(tools, splitCertificateLayer(content).certificateText)).c_str());
            return true;
        case EnvelopeKind::Pkcs7: {
            SignedContent signedContent =
                tools.verifySignature(content, DigestSelector::Sha1, RevocationChoice::Skip, std::string());
            std::printf("  %d. signed layer: %s, Signature: %s\n", depth,
                        oneLine(signedContent.verdict.header).c_str(),
                        oneLine(signedContent.verdict.signatureText).c_str());
            content = std::move(signedContent.content);
            break;
        }
        }
    }
}

bool reportError(const char* kind, const std::string& message) {
    std::fprintf(stderr, "quillbox: %s: %s\n", kind, oneLine(message).c_str());
    return false;
}

} // namespace

int InspectCommand::run(const std::vector<std::string>& arguments) {
    std::vector<std::string> inputs = parseArguments(inspectDeclaration(), arguments).operands;
    for (std::string& input : inputs) {
        input = absolutePath(input);
    }
    if (inputs.empty()) {
        throw UsageError("inspect needs at least one INPUT");
    }
    const CertificateTools tools;
    bool allSecured = true;
    for (const std::string& input : inputs) {
        bool secured = false;
        try {
            secured = inspect(tools, input);
        } catch (const errorDef::Fatal& error) {
            secured = reportError("fatal", error.message);
        } catch (const ErrorRecord& error) {
            secured = reportError("error", error.message);
        }
        std::fflush(stdout);
        allSecured = allSecured && secured;
    }
    return allSecured ? exitstatus::saved : exitstatus::failed;
}

#include "verdict_block.h"

#include "one_line.h"

#include <algorithm>
#include <sstream>

namespace {

// The value of the last "CN=" attribute of a one-line name ("/O=Acme/CN=Acme Root"), else the name.
std::string commonNameOf(const std::string& oneLineName) {
    const std::size_t start = oneLineName.rfind("/CN=");
    if (start == std::string::npos) {
        return oneLineName;
    }
    const std::size_t valueStart = start + 4;
    const std::size_t end = oneLineName.find('/', valueStart);
    return oneLineName.substr(valueStart, end == std::string::npos ? std::string::npos : end - valueStart);
}

// Trusted only when every signer's chain is: the first that is not says why, so one self-made
// certificate among them is enough to say no known authority stands behind the document.
std::string chainLine(const SignatureVerdict& verdict) {
    const auto untrusted = [](const SignerFacts& signer) {
        return !signer.chainTrusted || signer.chainSubjects.empty();
    };
    const auto first = std::find_if(verdict.signers.begin(), verdict.signers.end(), untrusted);
    if (verdict.signers.empty() ||
        (first != verdict.signers.end() && first->chainProblem == ChainProblem::UnknownAuthority)) {
        return "Certificate chain: no known authority";
    }
    if (first != verdict.signers.end()) {
        const ChainProblem problem =
            first->chainProblem == ChainProblem::None ? ChainProblem::UnknownAuthority : first->chainProblem;
        return std::string("Certificate chain: not trusted (") + chainProblemWords(problem) + ")";
    }
    return "Certificate chain: trusted (root: " + commonNameOf(verdict.signers.front().chainSubjects.back()) +
           ")";
}

} // namespace

std::string verdictBlock(const SignatureVerdict& verdict) {
    std::string block = oneLine(verdict.header) + "\nThis data is digitally signed by:\n";
    std::istringstream description(verdict.description);
    for (std::string line; std::getline(description, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        block += "  " + oneLine(line) + "\n";
    }
    for (const std::string& text : {"Signature: " + verdict.signatureText, verdict.integrityText,
                                    verdict.validityText, verdict.revocationText, chainLine(verdict)}) {
        block += oneLine(text) + "\n";
    }
    return block;
}

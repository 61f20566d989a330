#include "verdict_block.h"

#include <sstream>

std::string verdictBlock(const SignatureVerdict& verdict) {
    std::string block = verdict.header + "\nThis data is digitally signed by:\n";
    std::istringstream description(verdict.description);
    for (std::string line; std::getline(description, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        block += "  " + line + "\n";
    }
    block += "Signature: " + verdict.signatureText + "\n";
    block += verdict.integrityText + "\n";
    block += verdict.validityText + "\n";
    block += verdict.revocationText + "\n";
    return block;
}

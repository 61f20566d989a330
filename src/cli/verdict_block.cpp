#include "verdict_block.h"

#include "one_line.h"

#include <sstream>

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
                                    verdict.validityText, verdict.revocationText}) {
        block += oneLine(text) + "\n";
    }
    return block;
}

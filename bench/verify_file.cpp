// Verifies the signed layer in a file, as a document's outer layer is verified, and writes the
// signed content to a file, so the verification can be timed from outside against other tools.
#include "certs/certificate_tools.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/whole_file.h"

#include <cstdio>
#include <iostream>
#include <utility>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: verify_file SIGNED_FILE OUTPUT_FILE\n";
        return 2;
    }
    SignedContent result;
    {
        std::string layer;
        if (!ReadWholeFile(argv[1], layer)) {
            std::cerr << "cannot read " << argv[1] << '\n';
            return 1;
        }
        try {
            result = CertificateTools().verifySignature(std::move(layer), DigestSelector::Sha1,
                                                        RevocationChoice::Skip, "");
        } catch (const errorDef::error_message& error) {
            std::cerr << error.message << '\n';
            return 1;
        } catch (const e2eError::error_message& error) {
            std::cerr << error.message << '\n';
            return 1;
        }
    }
    std::FILE* output = std::fopen(argv[2], "wb");
    if (output == nullptr) {
        std::cerr << "cannot write " << argv[2] << '\n';
        return 1;
    }
    const bool written =
        std::fwrite(result.content.data(), 1, result.content.size(), output) == result.content.size();
    const bool closed = std::fclose(output) == 0;
    std::cerr << result.verdict.header << ": " << result.verdict.signatureText << '\n';
    return written && closed && result.verdict.signatureText == "Verified" ? 0 : 1;
}

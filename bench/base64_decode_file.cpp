// Decodes a whole Base64 file with the document codec, in the buffer it was read into as a document's
// layer is, and writes the bytes to standard output, so the codec can be timed from outside against
// other decoders of the same text.
#include "e2eCrypto/base64.h"
#include "e2eCrypto/error_records.h"
#include "e2eCrypto/whole_file.h"

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: base64_decode_file FILE\n";
        return 2;
    }
    std::string text;
    if (!ReadWholeFile(argv[1], text)) {
        std::cerr << "cannot read " << argv[1] << '\n';
        return 1;
    }
    try {
        decodeBase64Within(text, std::string_view(text));
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0
                   ? 0
                   : 1;
    } catch (const errorDef::error_message& error) {
        std::cerr << error.message << '\n';
        return 1;
    }
}

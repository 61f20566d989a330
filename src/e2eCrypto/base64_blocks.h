#pragma once
// Decoding long runs of Base64 alphabet bytes many at a time, with the instructions the processor
// offers. The document decoder hands each run between line breaks to it and does the rest itself.
#include <cstddef>

struct Base64BlockRun {
    std::size_t read = 0;    // a multiple of 4
    std::size_t written = 0; // 3 bytes for every 4 read
};

// Decodes whole groups of alphabet bytes from the start of in (length bytes) up to the first byte
// outside the alphabet or the last block that fits. Writes only the bytes it gives, to out, never
// past out + written; out may lie anywhere before in. With out null the bytes are checked only.
using Base64BlockDecoder = Base64BlockRun (*)(const unsigned char* in, std::size_t length, char* out);

// The block decoder this processor can run, or null when it has none.
Base64BlockDecoder processorBase64BlockDecoder();

#include "e2eCrypto/base64_blocks.h"

// Processors without a vectorised decoder leave every byte to the table-driven one.
Base64BlockDecoder processorBase64BlockDecoder() {
    return nullptr;
}

#include "e2eCrypto/library_memory.h"

#include <openssl/err.h>

void clearLibraryErrors() {
    ERR_clear_error();
}

bool libraryRanOutOfMemory() {
    bool outOfMemory = false;
    for (unsigned long code = ERR_get_error(); code != 0; code = ERR_get_error()) {
        outOfMemory = outOfMemory || ERR_GET_REASON(code) == ERR_R_MALLOC_FAILURE;
    }
    return outOfMemory;
}

#include "certs/key_store.h"

#include <cstdlib>

std::string defaultKeyStoreDirectory() {
    if (const char* store = std::getenv("QUILLBOX_STORE"); store != nullptr && *store != '\0') {
        return store;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.pki/nssdb";
}

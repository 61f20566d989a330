// Test helper: imports a PKCS#12 file (certificate and exportable key) into the current user's "MY"
// store.   import_pfx FILE PASSWORD
#include "my_store_import.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: import_pfx FILE PASSWORD\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string pkcs12((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string failure = importIntoPersonalStore(pkcs12, argv[2], true);
    if (!failure.empty()) {
        std::fprintf(stderr, "import_pfx: %s\n", failure.c_str());
        return 1;
    }
    return 0;
}

#pragma once
// What the texts for the user say about this system: where the private key lives and how it gets
// there, where the program's files go when its own directory takes none, and example paths. Made
// at build time from the system's words.txt, which the manual and the man pages use too.

namespace platform {

struct PlatformWords {
    const char* keyStore;
    const char* keyImport;
    // The --store option's help, two lines.
    const char* storeOption1;
    const char* storeOption2;
    // The environment variable naming the store; empty where the store is the user's own.
    const char* storeVariable;
    const char* appDataFallback;
    const char* exampleOutput;
    const char* exampleCrl;
};

const PlatformWords& words();

} // namespace platform

#pragma once
// Stands in, while it lives, for a file system that lacks what words names ("no-unnamed-files",
// "no-hard-links", "no-exclusive-rename", "no-space-reservation") or is ("copy-on-write",
// "free=BYTES"), so that saves take the road they would take there.
#include <cstdlib>

class SimulatedFileSystem {
public:
    explicit SimulatedFileSystem(const char* words) { ::setenv("QUILLBOX_FILE_SYSTEM", words, 1); }
    SimulatedFileSystem(const SimulatedFileSystem&) = delete;
    SimulatedFileSystem& operator=(const SimulatedFileSystem&) = delete;
    ~SimulatedFileSystem() { ::unsetenv("QUILLBOX_FILE_SYSTEM"); }
};

#pragma once
// Stands in for a file system without unnamed files while it lives: saves stage their content
// under a hidden name instead.
#include <cstdlib>

class NamedStaging {
public:
    explicit NamedStaging(bool named) { ::setenv("QUILLBOX_NAMED_STAGING", named ? "1" : "", 1); }
    NamedStaging(const NamedStaging&) = delete;
    NamedStaging& operator=(const NamedStaging&) = delete;
    ~NamedStaging() { ::unsetenv("QUILLBOX_NAMED_STAGING"); }
};

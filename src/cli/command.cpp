#include "command.h"

#include "exit_status.h"
#include "one_line.h"

#include <cstdio>

int reportUsageError(const std::string& problem) {
    std::fprintf(stderr, "quillbox: usage: %s\nTry 'quillbox-cli --help'.\n", oneLine(problem).c_str());
    return exitstatus::usage;
}

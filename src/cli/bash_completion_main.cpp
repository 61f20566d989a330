// Prints the bash completion of quillbox-cli; the build writes it into the installed tree.
#include "bash_completion.h"

#include <cstdio>

int main() {
    std::fputs(bashCompletion().c_str(), stdout);
    return 0;
}

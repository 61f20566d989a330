// quillbox-cli: opens secured documents with the same job as the desktop program, the terminal
// standing in for its dialogs.
#include "command_line.h"

#include "platform/console.h"

int main(int argc, char** argv) {
    const platform::Utf8Console console;
    return runCommandLine({argv + 1, argv + argc}, QUILLBOX_VERSION);
}

// quillbox-cli: opens secured documents with the same job as the desktop program, the terminal
// standing in for its dialogs.
#include "command_line.h"

#include "platform/console.h"
#include "platform/output_file.h"

int main(int argc, char** argv) {
    prepareProcessForSaving();
    const platform::Utf8Console console;
    return runCommandLine({argv + 1, argv + argc}, QUILLBOX_VERSION);
}

#include "command_declaration.h"

#include "platform/platform_words.h"

namespace {

OptionDeclaration helpOption(const std::string& command) {
    return {{"-h", "--help"}, "", ValueKind::None, false, {"print " + command + "'s part of this help"}};
}

} // namespace

const CommandDeclaration& openDeclaration() {
    static const CommandDeclaration declaration{
        "open",
        "[options] INPUT...",
        {
            {{"-o", "--output"},
             "PATH",
             ValueKind::AnyFile,
             false,
             {"output for the input in the same position (repeatable); \"-\" is",
              "standard output (not with --json); default: the input path with",
              "every \".qsig\" removed from its name"}},
            {{"--crl"},
             "PATH",
             ValueKind::CrlFile,
             false,
             {"check signers against this CRL file (ending in \".crl\");",
              "without it, no revocation check; one that cannot be read or holds",
              "no CRL is named on stderr and makes the exit status 1"}},
            {{"--passphrase-file"},
             "FILE",
             ValueKind::AnyFile,
             false,
             {"answers to pass-phrase prompts, one per line, in order; when they",
              "run out, a prompt counts as cancelled. A file, a pipe or /dev/stdin",
              "of at most 1 MiB, read when the first prompt needs it; one that",
              "cannot be read then is a usage error"}},
            {{"--store"},
             "DIR",
             ValueKind::Directory,
             false,
             {platform::words().storeOption1, platform::words().storeOption2}},
            {{"--store-password-file"},
             "F",
             ValueKind::AnyFile,
             false,
             {"the store's password (first line), when it has one; read like", "the pass-phrase file"}},
            {{"--yes", "--no"},
             "",
             ValueKind::None,
             true,
             {"answer every question (such as overwriting an existing output)",
              "Yes / No; default: ask on the terminal, and with no terminal, No"}},
            {{"--json"},
             "",
             ValueKind::None,
             false,
             {"one JSON object per document on stdout, each line written as its",
              "document is done with (see JSON output below)"}},
            {{"--app-dir"},
             "DIR",
             ValueKind::Directory,
             false,
             {"where the activity log (Reader-Log.txt) and the key-notice marker",
              "(askag) live (default: the program's application directory)"}},
            helpOption("open"),
        },
        "*.qsig",
    };
    return declaration;
}

const CommandDeclaration& inspectDeclaration() {
    static const CommandDeclaration declaration{
        "inspect",
        "[options] INPUT...",
        {
            {{"--json"},
             "",
             ValueKind::None,
             false,
             {"one JSON object per INPUT on stdout (see JSON output below)"}},
            helpOption("inspect"),
        },
        "*.qsig",
    };
    return declaration;
}

const std::vector<const CommandDeclaration*>& commandDeclarations() {
    static const std::vector<const CommandDeclaration*> declarations{&openDeclaration(),
                                                                     &inspectDeclaration()};
    return declarations;
}

std::string optionTag(const OptionDeclaration& option) {
    std::string tag;
    for (const std::string& name : option.names) {
        tag += (tag.empty() ? "" : option.choice ? " | " : ", ") + name;
    }
    return option.valueName.empty() ? tag : tag + " " + option.valueName;
}

#include "command_declaration.h"

#include "platform/platform_words.h"

const CommandDeclaration& openDeclaration() {
    static const CommandDeclaration declaration{
        "open",
        "[options] INPUT...",
        {
            {{"-o", "--output"},
             "PATH",
             ValueKind::AnyFile,
             false,
             {"output for the input in the same position (repeatable);",
              "default: the input path with every \".qsig\" removed from its name"}},
            {{"--crl"},
             "PATH",
             ValueKind::CrlFile,
             false,
             {"check signers against this CRL file (ending in \".crl\");",
              "without it, no revocation check"}},
            {{"--passphrase-file"},
             "FILE",
             ValueKind::AnyFile,
             false,
             {"answers to pass-phrase prompts, one per line, in order; when they",
              "run out, a prompt counts as cancelled. A file, a pipe or /dev/stdin",
              "of at most 1 MiB; one that cannot be read is a usage error"}},
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
             {"one JSON object per document, one per line, on stdout: input,",
              "output, status (saved, failed, skipped, declined, cancelled,",
              "not-processed), layers removed, signature verdicts, outcome text",
              "(for a document not saved, the message that says why). A byte",
              "that is not part of valid UTF-8 is written as \\udcXX, XX its",
              "value, so a path's bytes can be recovered (\"surrogateescape\")"}},
            {{"--app-dir"},
             "DIR",
             ValueKind::Directory,
             false,
             {"where the activity log (Reader-Log.txt) and the key-notice marker",
              "(askag) live (default: the program's application directory)"}},
        },
        "*.qsig",
    };
    return declaration;
}

const CommandDeclaration& inspectDeclaration() {
    static const CommandDeclaration declaration{"inspect", "INPUT...", {}, "*.qsig"};
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

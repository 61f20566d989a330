#pragma once
// What each subcommand accepts, declared once: the parser, --help, the man page (made from
// --help) and the bash completion are all made from these declarations.
#include <string>
#include <vector>

// What a value names, so that completion can offer the right files.
enum class ValueKind { None, AnyFile, CrlFile, Directory };

struct OptionDeclaration {
    // Synonyms ("-o", "--output"), or with choice set the alternatives of which one may be given
    // ("--yes", "--no"). The first long name is the option's key in the parse result.
    std::vector<std::string> names;
    std::string valueName; // "PATH"; empty for a flag
    ValueKind kind = ValueKind::None;
    bool choice = false;
    std::vector<std::string> help; // lines of --help beside the option
};

struct CommandDeclaration {
    std::string name;     // "open"
    std::string synopsis; // "[options] INPUT..."
    std::vector<OptionDeclaration> options;
    std::string operandPattern; // the files completion offers as operands, "*.qsig"
};

const CommandDeclaration& openDeclaration();
const CommandDeclaration& inspectDeclaration();
const std::vector<const CommandDeclaration*>& commandDeclarations();

// "-o, --output PATH" or "--yes | --no": how --help shows the option.
std::string optionTag(const OptionDeclaration& option);

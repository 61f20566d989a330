#include "bash_completion.h"

#include "command_declaration.h"

#include <map>

namespace {

// The shell words that offer a value of this kind ("" when the option takes none).
std::string valueCompletion(ValueKind kind) {
    switch (kind) {
    case ValueKind::AnyFile:
        return "_quillbox_cli_files '*'";
    case ValueKind::CrlFile:
        return "_quillbox_cli_files '*.crl'";
    case ValueKind::Directory:
        return "compopt -o filenames 2>/dev/null\n"
               "            mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")";
    case ValueKind::None:
        break;
    }
    return {};
}

std::string joined(const std::vector<std::string>& words, const std::string& separator) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : separator) + word;
    }
    return text;
}

std::string commandCase(const CommandDeclaration& command) {
    // Options grouped by what their value is, in the order of their first appearance.
    std::vector<std::string> order;
    std::map<std::string, std::vector<std::string>> namesByCompletion;
    std::vector<std::string> allNames;
    for (const OptionDeclaration& option : command.options) {
        allNames.insert(allNames.end(), option.names.begin(), option.names.end());
        const std::string completion = valueCompletion(option.kind);
        if (completion.empty()) {
            continue;
        }
        std::vector<std::string>& names = namesByCompletion[completion];
        if (names.empty()) {
            order.push_back(completion);
        }
        names.insert(names.end(), option.names.begin(), option.names.end());
    }
    // After "--" every word is an operand.
    std::string text = "    " + command.name + ")\n        if _quillbox_cli_options_ended; then\n" +
                       "            _quillbox_cli_files '" + command.operandPattern +
                       "'\n            return\n" + "        fi\n";
    if (!order.empty()) {
        text += "        case $prev in\n";
        for (const std::string& completion : order) {
            text += "        " + joined(namesByCompletion[completion], " | ") + ")\n            " +
                    completion + "\n            return\n            ;;\n";
        }
        text += "        esac\n";
    }
    if (!allNames.empty()) {
        text += "        if [[ $cur == -* ]]; then\n"
                "            COMPREPLY=($(compgen -W '" +
                joined(allNames, " ") +
                "' -- \"$cur\"))\n"
                "            return\n"
                "        fi\n";
    }
    return text + "        _quillbox_cli_files '" + command.operandPattern + "'\n        ;;\n";
}

} // namespace

std::string bashCompletion() {
    std::vector<std::string> commands;
    std::string cases;
    for (const CommandDeclaration* command : commandDeclarations()) {
        commands.push_back(command->name);
        cases += commandCase(*command);
    }
    return R"(# bash completion for quillbox-cli (made from its option declarations)

_quillbox_cli_files() {
    # $1: the pattern of the files to offer; directories are always offered to descend into. Names
    # are read a line each, never expanded again: "[", "*" and "?" in them are characters.
    local candidate
    compopt -o filenames 2>/dev/null
    while IFS= read -r candidate; do
        if [[ -d $candidate || $candidate == $1 ]]; then
            COMPREPLY+=("$candidate")
        fi
    done < <(compgen -f -- "$cur")
}

_quillbox_cli_options_ended() {
    local i
    for ((i = 2; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} != -- ]] || return 0
    done
    return 1
}

_quillbox_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()

    if [[ $COMP_CWORD -eq 1 ]]; then
        COMPREPLY=($(compgen -W ')" +
           joined(commands, " ") + R"( --help --version' -- "$cur"))
        return
    fi

    case ${COMP_WORDS[1]} in
)" + cases +
           R"(    esac
}
complete -F _quillbox_cli quillbox-cli
)";
}

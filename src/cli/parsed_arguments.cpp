#include "parsed_arguments.h"

#include "command.h"

#include <algorithm>
#include <string_view>

namespace {

std::string keyOf(const OptionDeclaration& option) {
    const auto isLong = [](const std::string& name) { return name.rfind("--", 0) == 0; };
    const auto found = std::find_if(option.names.begin(), option.names.end(), isLong);
    return found != option.names.end() ? *found : option.names.front();
}

struct Match {
    const OptionDeclaration* option = nullptr;
    std::string name;
    std::optional<std::string> inlineValue; // "--name=VALUE"
};

Match findOption(const CommandDeclaration& declaration, const std::string& argument) {
    for (const OptionDeclaration& option : declaration.options) {
        for (const std::string& name : option.names) {
            if (argument == name) {
                return {&option, name, std::nullopt};
            }
            if (name.rfind("--", 0) == 0 && argument.rfind(name + "=", 0) == 0) {
                return {&option, name, argument.substr(name.size() + 1)};
            }
        }
    }
    throw UsageError("unknown option " + argument);
}

// Every value and operand is a path. The form trims its boxes, but a command line does not guess
// which file was meant: "out.txt " and "out.txt" are different names.
const std::string& checkedPath(const std::string& argument, const std::string& path) {
    const std::string_view whiteSpace = " \t\n\v\f\r";
    if (whiteSpace.find(path.front()) != std::string_view::npos ||
        whiteSpace.find(path.back()) != std::string_view::npos) {
        throw UsageError(argument + " '" + path + "': a path cannot begin or end with white space");
    }
    return path;
}

} // namespace

const std::vector<std::string>& ParsedArguments::all(const std::string& key) const {
    static const std::vector<std::string> none;
    const auto found = values.find(key);
    return found != values.end() ? found->second : none;
}

std::optional<std::string> ParsedArguments::last(const std::string& key) const {
    const std::vector<std::string>& given = all(key);
    return given.empty() ? std::nullopt : std::optional<std::string>(given.back());
}

ParsedArguments parseArguments(const CommandDeclaration& declaration,
                               const std::vector<std::string>& arguments) {
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument == "-" || argument.empty() || argument[0] != '-') {
            parsed.operands.push_back(argument.empty() ? argument : checkedPath("INPUT", argument));
            continue;
        }
        const Match match = findOption(declaration, argument);
        const OptionDeclaration& option = *match.option;
        const std::string key = keyOf(option);
        std::vector<std::string>& given = parsed.values[key];
        if (option.valueName.empty()) {
            if (match.inlineValue) {
                throw UsageError(match.name + " takes no value");
            }
            if (option.choice && !given.empty() && given.back() != match.name) {
                throw UsageError(option.names[0] + " and " + option.names[1] + " exclude each other");
            }
            given.push_back(match.name);
            continue;
        }
        std::string value = match.inlineValue          ? *match.inlineValue
                            : i + 1 < arguments.size() ? arguments[++i]
                                                       : std::string();
        // An empty path would silently mean the current or root directory.
        if (value.empty()) {
            throw UsageError(key + " needs a value");
        }
        given.push_back(checkedPath(key, value));
    }
    return parsed;
}

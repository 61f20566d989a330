#pragma once
// A subcommand's arguments read by its declaration: options ("--name VALUE", "--name=VALUE",
// "-o VALUE") and operands, with "--" ending the options.
#include "command_declaration.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

struct ParsedArguments {
    std::vector<std::string> operands;
    // By option key (its first long name): the values given, in order; a flag's value is the name
    // it was given by.
    std::map<std::string, std::vector<std::string>> values;

    const std::vector<std::string>& all(const std::string& key) const;
    // The last value given, which overrides earlier ones.
    std::optional<std::string> last(const std::string& key) const;
};

// Throws UsageError for an unknown option, a flag given a value, an option without (or with an
// empty) value, two alternatives of one choice, and a path (value or operand) that begins or ends
// with white space.
ParsedArguments parseArguments(const CommandDeclaration& declaration,
                               const std::vector<std::string>& arguments);

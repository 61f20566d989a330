#pragma once
// Walks a subcommand's arguments: options ("--name VALUE", "--name=VALUE", "-o VALUE") and operands,
// with "--" ending the options.
#include "command.h"

#include <optional>
#include <string>
#include <vector>

class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    // Moves to the next argument; false at the end.
    bool next();
    // True when the current argument is an operand (after "--", "-" or anything not starting with "-").
    bool isOperand() const { return operand_; }
    const std::string& current() const { return current_; }
    // True when the current argument is this flag (no value allowed).
    bool flag(const std::string& longName);
    // The value when the current argument is this option; UsageError when the value is missing.
    std::optional<std::string> value(const std::string& longName, const std::string& shortName = {});

private:
    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
    std::string current_;
    bool operand_ = false;
    bool optionsEnded_ = false;
};

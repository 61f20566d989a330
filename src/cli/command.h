#pragma once
// A subcommand of quillbox-cli.
#include "command_declaration.h"
#include "e2eCrypto/error_records.h"

#include <string>
#include <vector>

// A wrong command line: reported on stderr, exit status 2.
struct UsageError : ErrorRecord {
    explicit UsageError(std::string text) : ErrorRecord(std::move(text)) {}
};

// Writes the usage problem and the hint to --help on stderr; returns the usage exit status.
int reportUsageError(const std::string& problem);

class Command {
public:
    virtual ~Command() = default;
    // What the command accepts; its part of --help is made from it.
    virtual const CommandDeclaration& declaration() const = 0;
    // arguments: everything after the subcommand's name. Returns the exit status; throws UsageError.
    virtual int run(const std::vector<std::string>& arguments) = 0;
};

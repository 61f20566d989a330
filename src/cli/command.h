#pragma once
// A subcommand of quillbox-cli.
#include <stdexcept>
#include <string>
#include <vector>

// A wrong command line: reported on stderr, exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Command {
public:
    virtual ~Command() = default;
    // arguments: everything after the subcommand's name. Returns the exit status; throws UsageError.
    virtual int run(const std::vector<std::string>& arguments) = 0;
};

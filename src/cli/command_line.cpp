#include "command_line.h"

#include "command.h"
#include "exit_status.h"
#include "help_text.h"
#include "inspect_command.h"
#include "open_command.h"
#include "parsed_arguments.h"
#include "standard_output.h"

#include "certs/library_versions.h"

#include <memory>

namespace {

std::unique_ptr<Command> commandNamed(const std::string& name) {
    if (name == "open") {
        return std::make_unique<OpenCommand>();
    }
    if (name == "inspect") {
        return std::make_unique<InspectCommand>();
    }
    return nullptr;
}

int print(const std::string& text) {
    StandardOutput out;
    out.write(text);
    return out.finish(exitstatus::saved);
}

// "open --help": the command's own part of the help, whatever else the command line holds.
bool asksForHelp(const Command& command, const std::vector<std::string>& arguments) {
    return parseArguments(command.declaration(), arguments).last("--help").has_value();
}

} // namespace

int runCommandLine(const std::vector<std::string>& arguments, const std::string& version) {
    if (arguments.empty()) {
        return reportUsageError("a command is needed: open, inspect, --help or --version");
    }
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h" || first == "help") {
        return print(helpText());
    }
    if (first == "--version") {
        // The first line alone names the program; packaging reads it.
        std::string text = "quillbox-cli " + version + "\n";
        for (const std::string& library : cryptoLibraryVersions()) {
            text += library + "\n";
        }
        return print(text);
    }
    const std::unique_ptr<Command> command = commandNamed(first);
    if (!command) {
        return reportUsageError("unknown command " + first);
    }
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    try {
        if (asksForHelp(*command, rest)) {
            return print(commandHelpText(command->declaration()));
        }
        return command->run(rest);
    } catch (const UsageError& error) {
        return reportUsageError(error.what());
    }
}

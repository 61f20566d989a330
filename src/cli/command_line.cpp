#include "command_line.h"

#include "command.h"
#include "exit_status.h"
#include "help_text.h"
#include "inspect_command.h"
#include "one_line.h"
#include "open_command.h"

#include "certs/library_versions.h"

#include <cstdio>
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

int usageError(const std::string& problem) {
    std::fprintf(stderr, "quillbox: usage: %s\nTry 'quillbox-cli --help'.\n", oneLine(problem).c_str());
    return exitstatus::usage;
}

} // namespace

int runCommandLine(const std::vector<std::string>& arguments, const std::string& version) {
    if (arguments.empty()) {
        return usageError("a command is needed: open, inspect, --help or --version");
    }
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h" || first == "help") {
        std::fputs(helpText().c_str(), stdout);
        return exitstatus::saved;
    }
    if (first == "--version") {
        // The first line alone names the program; packaging reads it.
        std::printf("quillbox-cli %s\n", version.c_str());
        for (const std::string& library : cryptoLibraryVersions()) {
            std::printf("%s\n", library.c_str());
        }
        return exitstatus::saved;
    }
    const std::unique_ptr<Command> command = commandNamed(first);
    if (!command) {
        return usageError("unknown command " + first);
    }
    try {
        return command->run({arguments.begin() + 1, arguments.end()});
    } catch (const UsageError& error) {
        return usageError(error.what());
    }
}

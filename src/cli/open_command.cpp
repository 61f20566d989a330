#include "open_command.h"

#include "argument_reader.h"
#include "cli_job_form.h"
#include "cli_paths.h"
#include "exit_status.h"
#include "json_lines.h"
#include "terminal_job_ui.h"

#include "certs/key_store.h"
#include "e2eCrypto/whole_file.h"
#include "pipeline/job_driver.h"
#include "platform/directories.h"
#include "platform/file_access.h"
#include "platform/path_conventions.h"

#include <algorithm>
#include <cstdio>

namespace {

struct OpenOptions {
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::optional<std::string> crl;
    std::optional<std::string> passPhraseFile;
    std::optional<std::string> store;
    std::optional<std::string> storePasswordFile;
    std::optional<bool> everyAnswer;
    bool json = false;
    std::optional<std::string> appDirectory;
};

OpenOptions parse(const std::vector<std::string>& arguments) {
    OpenOptions options;
    ArgumentReader reader(arguments);
    while (reader.next()) {
        if (reader.isOperand()) {
            options.inputs.push_back(reader.current());
        } else if (auto output = reader.value("--output", "-o")) {
            options.outputs.push_back(*output);
        } else if (auto crl = reader.value("--crl")) {
            options.crl = *crl;
        } else if (auto file = reader.value("--passphrase-file")) {
            options.passPhraseFile = *file;
        } else if (auto store = reader.value("--store")) {
            options.store = *store;
        } else if (auto passwordFile = reader.value("--store-password-file")) {
            options.storePasswordFile = *passwordFile;
        } else if (auto appDirectory = reader.value("--app-dir")) {
            options.appDirectory = *appDirectory;
        } else if (reader.flag("--yes") || reader.flag("--no")) {
            const bool yes = reader.current() == "--yes";
            if (options.everyAnswer && *options.everyAnswer != yes) {
                throw UsageError("--yes and --no exclude each other");
            }
            options.everyAnswer = yes;
        } else if (reader.flag("--json")) {
            options.json = true;
        } else {
            throw UsageError("unknown option " + reader.current());
        }
    }
    if (options.inputs.empty()) {
        throw UsageError("open needs at least one INPUT");
    }
    if (options.outputs.size() > options.inputs.size()) {
        throw UsageError("more outputs than inputs");
    }
    return options;
}

// The input with every ".qsig" taken out of its file name.
std::string defaultOutput(const std::string& input) {
    const std::size_t nameStart = platform::lastSeparator(input) + 1;
    std::string name = input.substr(nameStart);
    for (std::size_t found; (found = name.find(".qsig")) != std::string::npos;) {
        name.erase(found, 5);
    }
    if (nameStart + name.size() == input.size()) {
        throw UsageError(input + ": the name has no \".qsig\" to remove; give its output with -o");
    }
    return input.substr(0, nameStart) + name;
}

// The lines of a file, each without its line end ("\n" or "\r\n"), kept in wiped buffers.
std::deque<SecretString> secretLines(const std::string& path) {
    if (!platform::isReadable(path)) {
        throw UsageError("cannot read " + path);
    }
    SecretString text;
    ReadWholeFile(path, text.mutableStr()); // an empty file simply holds no lines
    std::deque<SecretString> lines;
    std::string_view rest = text.view();
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
    }
    return lines;
}

std::string joined(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) {
        text += (text.empty() ? "" : ";") + path;
    }
    return text;
}

FormValues formValues(OpenOptions& options) {
    for (std::string& input : options.inputs) {
        input = absolutePath(input);
    }
    for (std::string& output : options.outputs) {
        output = absolutePath(output);
    }
    for (std::size_t i = options.outputs.size(); i < options.inputs.size(); ++i) {
        options.outputs.push_back(defaultOutput(options.inputs[i]));
    }
    FormValues values;
    values.multipleSelection = options.inputs.size() > 1;
    if (values.multipleSelection) {
        const auto hasSemicolon = [](const std::string& path) { return path.find(';') != std::string::npos; };
        if (std::any_of(options.inputs.begin(), options.inputs.end(), hasSemicolon) ||
            std::any_of(options.outputs.begin(), options.outputs.end(), hasSemicolon)) {
            throw UsageError("the paths of several inputs cannot contain \";\"");
        }
    }
    values.input = joined(options.inputs);
    values.output = joined(options.outputs);
    values.crlChoice = options.crl ? 0 : 1;
    values.crlPath = options.crl ? absolutePath(*options.crl) : std::string();
    return values;
}

AppPaths appPaths(const std::optional<std::string>& directory) {
    if (!directory) {
        return resolveAppPaths(executableDirectory());
    }
    const std::string absolute = absolutePath(*directory);
    platform::createDirectories(absolute); // one that cannot be made shows up as the log's own message
    const char separator = platform::directorySeparator();
    return AppPaths{absolute.back() == separator ? absolute : absolute + separator};
}

int exitStatusOf(const JobReport& report, bool promptCancelled) {
    const auto saved = [](const FileReport& file) { return file.status == FileStatus::Saved; };
    if (promptCancelled) {
        return exitstatus::cancelled;
    }
    if (report.pathsValid && std::all_of(report.files.begin(), report.files.end(), saved)) {
        return exitstatus::saved;
    }
    return exitstatus::failed;
}

} // namespace

int OpenCommand::run(const std::vector<std::string>& arguments) {
    OpenOptions options = parse(arguments);
    const FormValues values = formValues(options);

    Answers answers;
    answers.everyQuestion = options.everyAnswer;
    if (options.passPhraseFile) {
        answers.passPhrases = secretLines(absolutePath(*options.passPhraseFile));
    }
    if (options.storePasswordFile) {
        std::deque<SecretString> lines = secretLines(absolutePath(*options.storePasswordFile));
        answers.storePassword = lines.empty() ? SecretString() : std::move(lines.front());
    }

    JobSettings settings;
    settings.appPaths = appPaths(options.appDirectory);
    settings.keyStoreDirectory = options.store ? absolutePath(*options.store) : defaultKeyStoreDirectory();

    Terminal terminal;
    TerminalJobUi ui(terminal, stderr, std::move(answers));
    CliJobForm form(values);
    JobReport report = OnVerifyDecrypt(form, ui, settings);

    if (options.json) {
        for (std::size_t i = 0; i < options.inputs.size(); ++i) {
            FileReport file;
            if (i < report.files.size()) {
                file = report.files[i];
            } else {
                file.input = options.inputs[i];
                file.output = options.outputs[i];
            }
            std::printf("%s\n", jsonLine(file).c_str());
        }
        std::fflush(stdout);
    }
    return exitStatusOf(report, ui.promptCancelled());
}

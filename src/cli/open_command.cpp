#include "open_command.h"

#include "answer_file.h"
#include "cli_job_form.h"
#include "cli_paths.h"
#include "exit_status.h"
#include "json_lines.h"
#include "parsed_arguments.h"
#include "terminal_job_ui.h"

#include "certs/key_store.h"
#include "pipeline/job_driver.h"
#include "platform/directories.h"
#include "platform/file_access.h"
#include "platform/path_conventions.h"

#include <algorithm>
#include <cstdio>
#include <deque>

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
    const ParsedArguments parsed = parseArguments(openDeclaration(), arguments);
    OpenOptions options;
    options.inputs = parsed.operands;
    options.outputs = parsed.all("--output");
    options.crl = parsed.last("--crl");
    options.passPhraseFile = parsed.last("--passphrase-file");
    options.store = parsed.last("--store");
    options.storePasswordFile = parsed.last("--store-password-file");
    options.appDirectory = parsed.last("--app-dir");
    if (const std::optional<std::string> answer = parsed.last("--yes")) {
        options.everyAnswer = *answer == "--yes";
    }
    options.json = parsed.last("--json").has_value();
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
        values.inputs = options.inputs;
        values.outputs = options.outputs;
    } else {
        values.input = options.inputs.front();
        values.output = options.outputs.front();
    }
    values.crlChoice = options.crl ? RevocationChoice::Check : RevocationChoice::Skip;
    values.crlPath = options.crl ? absolutePath(*options.crl) : std::string();
    return values;
}

AppPaths appPaths(const std::optional<std::string>& directory) {
    if (!directory) {
        return resolveAppPaths(executableDirectory(), QUILLBOX_INSTALL_BINDIR);
    }
    const std::string absolute = absolutePath(*directory);
    platform::createDirectories(absolute); // one that cannot be made shows up as the log's own message
    const char separator = platform::directorySeparator();
    return AppPaths{absolute.back() == separator ? absolute : absolute + separator};
}

// One report per input: the job's, and a not-processed one for each input it never reached.
std::vector<FileReport> everyInput(std::vector<FileReport> files, const OpenOptions& options) {
    for (std::size_t i = files.size(); i < options.inputs.size(); ++i) {
        FileReport& file = files.emplace_back();
        file.input = options.inputs[i];
        file.output = options.outputs[i];
    }
    return files;
}

// A cancelled store-password prompt fails the document being opened and ends the job: that
// document counts as cancelled, not as failed.
void markStorePasswordCancel(std::vector<FileReport>& files) {
    const auto reached = [](const FileReport& file) { return file.status != FileStatus::NotProcessed; };
    const auto last = std::find_if(files.rbegin(), files.rend(), reached);
    if (last != files.rend() && last->status == FileStatus::Failed) {
        last->status = FileStatus::Cancelled;
    }
}

// Every document that was not saved says why, even where the job showed no message for it.
// refusal: the message the path rules showed when they refused the paths.
void explainUnsaved(std::vector<FileReport>& files, bool pathsValid, const std::string& refusal) {
    for (FileReport& file : files) {
        if (!file.outcome.empty()) {
            continue;
        }
        switch (file.status) {
        case FileStatus::Saved:
        case FileStatus::Failed:
            break;
        case FileStatus::Skipped:
            file.outcome =
                "This file is tampered [OR] Not of a valid signed/encrypted format [OR] Corrupted; "
                "skipped as answered";
            break;
        case FileStatus::Declined:
            file.outcome = file.output + " file already exists; overwriting it was declined";
            break;
        case FileStatus::Cancelled:
            file.outcome = "The prompt for its pass phrase was cancelled or had no answer";
            break;
        case FileStatus::NotProcessed:
            file.outcome = pathsValid ? "The job ended before this file was reached" : refusal;
            break;
        }
    }
}

// Read from the verdict's status, not from its words: anything but the success tick fails.
bool signatureFailed(const FileReport& file) {
    return std::any_of(file.verdicts.begin(), file.verdicts.end(), [](const SignatureVerdict& verdict) {
        return verdict.headerIcon != VerdictIcon::GreenTick;
    });
}

// The first that applies: a failed or skipped input, a cancelled prompt, a FAILED verdict.
int exitStatusOf(const std::vector<FileReport>& files, bool pathsValid, bool promptCancelled) {
    const auto failed = [](const FileReport& file) {
        return file.status == FileStatus::Failed || file.status == FileStatus::Skipped ||
               file.status == FileStatus::Declined;
    };
    const auto saved = [](const FileReport& file) { return file.status == FileStatus::Saved; };
    if (!pathsValid || std::any_of(files.begin(), files.end(), failed)) {
        return exitstatus::failed;
    }
    if (promptCancelled) {
        return exitstatus::cancelled;
    }
    if (!std::all_of(files.begin(), files.end(), saved)) {
        return exitstatus::failed;
    }
    return std::any_of(files.begin(), files.end(), signatureFailed) ? exitstatus::signatureFailed
                                                                    : exitstatus::saved;
}

} // namespace

int OpenCommand::run(const std::vector<std::string>& arguments) {
    OpenOptions options = parse(arguments);
    const FormValues values = formValues(options);

    Answers answers;
    answers.everyQuestion = options.everyAnswer;
    if (options.passPhraseFile) {
        answers.passPhrases = readAnswerLines("--passphrase-file", absolutePath(*options.passPhraseFile));
    }
    if (options.storePasswordFile) {
        std::deque<SecretString> lines =
            readAnswerLines("--store-password-file", absolutePath(*options.storePasswordFile));
        answers.storePassword = lines.empty() ? SecretString() : std::move(lines.front());
    }

    JobSettings settings;
    settings.appPaths = appPaths(options.appDirectory);
    settings.keyStoreDirectory = options.store ? absolutePath(*options.store) : defaultKeyStoreDirectory();
    settings.openKeyStore = openKeyStore_;

    Terminal terminal;
    TerminalJobUi ui(terminal, stderr, std::move(answers));
    CliJobForm form(values);
    const JobReport report = OnVerifyDecrypt(form, ui, settings);

    std::vector<FileReport> files = everyInput(report.files, options);
    if (ui.storePasswordCancelled()) {
        markStorePasswordCancel(files);
    }
    explainUnsaved(files, report.pathsValid, ui.lastMessage());
    if (options.json) {
        for (const FileReport& file : files) {
            std::printf("%s\n", jsonLine(file).c_str());
        }
        std::fflush(stdout);
    }
    // After a fatal error the job has ended at once; the documents so far are reported all the same.
    return ui.fatalExitStatus().value_or(exitStatusOf(files, report.pathsValid, ui.promptCancelled()));
}

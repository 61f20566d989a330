#include "open_command.h"

#include "answer_file.h"
#include "cli_job_form.h"
#include "cli_paths.h"
#include "document_input.h"
#include "exit_status.h"
#include "one_line.h"
#include "open_report.h"
#include "parsed_arguments.h"
#include "standard_output.h"
#include "terminal_job_ui.h"

#include "certs/key_store.h"
#include "certs/revocation_check.h"
#include "pipeline/job_driver.h"
#include "platform/directories.h"
#include "platform/file_access.h"
#include "platform/file_descriptor.h"
#include "platform/file_kind.h"
#include "platform/interrupt.h"
#include "platform/path_conventions.h"
#include "platform/standard_streams.h"
#include "platform/terminal_device.h"
#include "platform/work_progress.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// INPUT "-" and "-o -": standard input and output.
const std::string standardStream = "-";

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

bool namesStream(const std::vector<std::string>& paths) {
    return std::find(paths.begin(), paths.end(), standardStream) != paths.end();
}

void checkStreams(const OpenOptions& options) {
    if (std::count(options.inputs.begin(), options.inputs.end(), standardStream) > 1 ||
        std::count(options.outputs.begin(), options.outputs.end(), standardStream) > 1) {
        throw UsageError("\"-\" can stand for standard input once and for standard output once");
    }
    if (options.json && namesStream(options.outputs)) {
        throw UsageError("--json and -o - both write to standard output");
    }
}

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
    checkStreams(options);
    return options;
}

// The input with every ".qsig" taken out of its file name.
std::string defaultOutput(const std::string& input) {
    if (input == standardStream) {
        throw UsageError("standard input has no name to make its output's from; give its output with -o");
    }
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

std::string absoluteUnlessStream(const std::string& path) {
    return path == standardStream ? path : absolutePath(path);
}

FormValues formValues(OpenOptions& options) {
    for (std::string& input : options.inputs) {
        input = absoluteUnlessStream(input);
        if (platform::fileKind(input) == platform::FileKind::Directory) {
            throw UsageError(input + " is a directory, not a document");
        }
    }
    for (std::string& output : options.outputs) {
        output = absoluteUnlessStream(output);
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

// Written directly: standard output, or a device such as /dev/null, which a staged file could never
// take the place of and which holds no content to ask before overwriting.
bool isStreamOutput(const std::string& path) {
    return path == standardStream || platform::fileKind(path) == platform::FileKind::CharacterDevice;
}

// A failure says which output and why, before the job's own message.
bool writeStreamOutput(const std::string& path, std::string_view bytes) {
    SystemResult written = SystemResult::failed(0);
    if (path == standardStream) {
        written = platform::writeStandardOutput(bytes);
    } else {
        FileDescriptor device(platform::openDeviceForWriting(path));
        written = device.isOpen() ? writeAll(device.get(), bytes) : SystemResult::failed(errno);
        if (written && !device.close()) {
            written = SystemResult::failed(errno);
        }
    }
    if (!written) {
        std::fprintf(stderr, "quillbox: error: cannot write to %s: %s\n",
                     path == standardStream ? "standard output" : shownName(path).c_str(),
                     std::strerror(written.error()));
    }
    return static_cast<bool>(written);
}

// Pipes are read and devices written as streams; paths are absolute by now, but for "-".
StandardStreams streamsOf(const FormValues& values) {
    StandardStreams streams;
    const bool batch = values.multipleSelection;
    for (const std::string& input : batch ? values.inputs : std::vector<std::string>{values.input}) {
        if (isStreamInput(input)) {
            streams.inputPaths.push_back(input);
        }
    }
    for (const std::string& output : batch ? values.outputs : std::vector<std::string>{values.output}) {
        if (isStreamOutput(output)) {
            streams.outputPaths.push_back(output);
        }
    }
    streams.readInput = readStreamInput;
    streams.writeOutput = writeStreamOutput;
    return streams;
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

Answers answersOf(const OpenOptions& options) {
    Answers answers;
    answers.everyQuestion = options.everyAnswer;
    if (options.passPhraseFile) {
        answers.passPhrases.emplace("--passphrase-file", absolutePath(*options.passPhraseFile));
    }
    if (options.storePasswordFile) {
        answers.storePassword.emplace("--store-password-file", absolutePath(*options.storePasswordFile));
    }
    return answers;
}

// Without files of answers, a pass phrase or a store password is asked for on the terminal.
bool mayAskForSecrets(const OpenOptions& options) {
    return !options.passPhraseFile || !options.storePasswordFile;
}

// Read from the verdict's status, not from its words: anything but the success tick fails.
bool signatureFailed(const FileReport& file) {
    return std::any_of(file.verdicts.begin(), file.verdicts.end(), [](const SignatureVerdict& verdict) {
        return verdict.headerIcon != VerdictIcon::GreenTick;
    });
}

// The first that applies: a failed or skipped input, a cancelled prompt or stopped job, a FAILED
// verdict.
int exitStatusOf(const std::vector<FileReport>& files, bool pathsValid, bool promptCancelled) {
    const auto failed = [](const FileReport& file) {
        return file.status == FileStatus::Failed || file.status == FileStatus::Skipped ||
               file.status == FileStatus::Declined;
    };
    const auto saved = [](const FileReport& file) { return file.status == FileStatus::Saved; };
    const auto stopped = [](const FileReport& file) { return file.status == FileStatus::Cancelled; };
    if (!pathsValid || std::any_of(files.begin(), files.end(), failed)) {
        return exitstatus::failed;
    }
    if (promptCancelled || std::any_of(files.begin(), files.end(), stopped)) {
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

    JobSettings settings;
    settings.appPaths = appPaths(options.appDirectory);
    settings.keyStoreDirectory = options.store ? absolutePath(*options.store) : defaultKeyStoreDirectory();
    settings.openKeyStore = openKeyStore_;
    settings.streams = streamsOf(values);
    settings.anyFileName = true;

    Terminal terminal;
    TerminalJobUi ui(terminal, stderr, answersOf(options));
    std::vector<std::string> names = options.inputs;
    names.insert(names.end(), options.outputs.begin(), options.outputs.end());
    names.push_back(values.crlPath);
    ui.nameFiles(std::move(names));
    StandardOutput out;
    OpenReport report(options.inputs, options.outputs, options.json, ui, out);
    ui.onDocumentEnd([&report](const FileReport& file) { report.documentEnded(file); });
    CliJobForm form(values);
    // Ctrl-C stops the work on a document through the job's progress.
    const WorkProgress progress;
    platform::stopWorkOnInterrupt();
    // Once the signal handlers are in place, so that the terminal's own come back over them.
    if (mayAskForSecrets(options) && platform::isTerminalStream(stdin)) {
        terminal.hideTyping();
    }
    // Named before the work, so that a script learns why every revocation status reads unknown.
    std::optional<std::string> crlProblem = options.crl ? crlFileProblem(values.crlPath) : std::nullopt;
    if (crlProblem) {
        std::replace(crlProblem->begin(), crlProblem->end(), '\n', ' ');
        ui.error(values.crlPath + ": " + *crlProblem);
    }
    const bool pathsValid = OnVerifyDecrypt(form, ui, settings).pathsValid;
    report.jobEnded(pathsValid);

    if (ui.answerFileUnreadable()) {
        return exitstatus::usage;
    }
    // After a fatal error the job has ended at once; the documents so far are reported all the same.
    const int status = ui.fatalExitStatus().value_or(
        crlProblem ? exitstatus::failed : exitStatusOf(report.files(), pathsValid, ui.promptCancelled()));
    return out.finish(status);
}

#include "pipeline/path_validation.h"

#include "pipeline/form_reset.h"
#include "pipeline/job_ui.h"
#include "pipeline/standard_streams.h"

#include <string_view>

namespace {

constexpr std::string_view specialCharacters = "~!@#$%^&*()+=<>,?|{}[]";

bool hasSpecialCharacter(const std::string& path) {
    return path.find_first_of(specialCharacters) != std::string::npos;
}

bool hasCharacter(const std::string& path, char c) {
    return path.find(c) != std::string::npos;
}

// Everything up to and including the last separator; the caller has made sure there is one.
std::string directoryPart(const std::string& path, char separator) {
    return path.substr(0, path.rfind(separator) + 1);
}

std::string fileNamePart(const std::string& path, char separator) {
    return path.substr(path.rfind(separator) + 1);
}

bool endsWithCrl(const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".crl") == 0;
}

// What a failing rule does to its box besides showing the message.
enum class Reset { None, Empty, ResetText };

struct BoxEffect {
    Reset reset = Reset::None;
    bool showValues = false; // after the reset, the form shows its values again
    bool focus = false;
};

constexpr BoxEffect untouched{};
constexpr BoxEffect focused{.focus = true};
constexpr BoxEffect emptied{.reset = Reset::Empty, .focus = true};
constexpr BoxEffect emptiedAndShown{.reset = Reset::Empty, .showValues = true, .focus = true};
constexpr BoxEffect resetText{.reset = Reset::ResetText, .focus = true};
constexpr BoxEffect resetTextAndShown{.reset = Reset::ResetText, .showValues = true, .focus = true};

class RuleRunner {
public:
    RuleRunner(JobForm& form, JobUi& ui, const PathStyle& style, bool anyFileName)
        : form_(form), ui_(ui), style_(style), anyFileName_(anyFileName) {}

    // Shows message and applies effect to box; always false, so callers can return it.
    bool fail(FormBox box, const std::string& message, BoxEffect effect = untouched) const {
        ui_.showMessage(message, IconKind::Warning, Buttons::Ok);
        if (effect.reset != Reset::None) {
            form_.setBoxText(box, effect.reset == Reset::Empty ? std::string() : style_.resetText);
            if (effect.showValues) {
                form_.showValues();
            }
        }
        if (effect.focus) {
            form_.focusBox(box);
        }
        return false;
    }

    bool checkInput(const std::string& input, const FileAccess& access) const {
        const char sep = style_.separator;
        if (refusesCharacters() && hasCharacter(input, style_.refused)) {
            return fail(FormBox::Input,
                        style_.localize("Invalid input path! Use '\\' instead of '/' to delimit directories"),
                        emptiedAndShown);
        }
        if (refusesCharacters() && hasSpecialCharacter(input)) {
            return fail(FormBox::Input,
                        "Invalid input file path! Special characters not allowed in the file name",
                        emptiedAndShown);
        }
        if (!hasCharacter(input, sep)) {
            return fail(FormBox::Input,
                        style_.localize("Invalid input path! Use '\\' instead of '/' to delimit directories"),
                        resetTextAndShown);
        }
        if (fileNamePart(input, sep).empty()) {
            return fail(FormBox::Input, "Invalid input! Please provide a file", focused);
        }
        const std::string directory = directoryPart(input, sep);
        if (!access.readable(directory)) {
            return fail(FormBox::Input,
                        "Input directory " + directory + " does not exist or does not have read permissions",
                        resetText);
        }
        if (!access.readable(input)) {
            return fail(FormBox::Input,
                        "Input file " + input + " does not exist or does not have read permissions set",
                        resetText);
        }
        return true;
    }

    bool checkOutput(const std::string& output, const FileAccess& access) const {
        const char sep = style_.separator;
        if (output.empty()) {
            return fail(FormBox::Output, "Invalid output path! Please provide complete path");
        }
        if (refusesCharacters() && hasCharacter(output, style_.refused)) {
            return fail(FormBox::Output,
                        style_.localize("Invalid output! Use '\\' instead of '/' to delimit directories"),
                        emptiedAndShown);
        }
        if (refusesCharacters() && hasSpecialCharacter(output)) {
            return fail(FormBox::Output,
                        "Invalid output file path! Special characters not allowed inthe file name",
                        emptiedAndShown);
        }
        if (!hasCharacter(output, sep)) {
            return fail(FormBox::Output,
                        style_.localize("Invalid output! Use '\\' instead of '/' to delimit directories"),
                        resetTextAndShown);
        }
        if (fileNamePart(output, sep).empty()) {
            return fail(FormBox::Output, "Invalid file name! Please provide a file name", focused);
        }
        const std::string directory = directoryPart(output, sep);
        if (!access.writable(directory)) {
            return fail(FormBox::Output,
                        "Output directory " + directory +
                            " does not exist or does not have write permissions",
                        resetText);
        }
        return true;
    }

    bool checkCrl(const std::string& crl, const FileAccess& access) const {
        const char sep = style_.separator;
        if (crl.empty()) {
            return fail(FormBox::CrlPath, "Please provide path to CRL file!");
        }
        if (refusesCharacters() && hasSpecialCharacter(crl)) {
            return fail(FormBox::CrlPath,
                        "Invalid CRL file path! Special characters not allowed inthe file name",
                        emptiedAndShown);
        }
        if (refusesCharacters() && hasCharacter(crl, style_.refused)) {
            return fail(FormBox::CrlPath,
                        style_.localize("Invalid CRL path! Use '\\' instead of '/' to delimit directories"),
                        emptiedAndShown);
        }
        if (!endsWithCrl(crl)) {
            return fail(FormBox::CrlPath, "CRL path accepts only files with \".crl\" extension",
                        emptiedAndShown);
        }
        if (!hasCharacter(crl, sep)) {
            return fail(FormBox::CrlPath, "Cannot give relative path to crl file", emptiedAndShown);
        }
        const std::string directory = directoryPart(crl, sep);
        if (!access.readable(directory)) {
            return fail(FormBox::CrlPath,
                        "CRL directory " + directory + " does not exist or does not have read permissions",
                        emptied);
        }
        if (!access.readable(crl)) {
            return fail(FormBox::CrlPath,
                        "CRL file " + crl + " does not exist or does not have read permissions set", emptied);
        }
        return true;
    }

    bool checkCounts(const JobPaths& paths) const {
        if (paths.inputs.size() == paths.outputs.size()) {
            return true;
        }
        ui_.showMessage("Count of input files is not same as output files", IconKind::Warning, Buttons::Ok);
        resetFormAfterFailure(form_, {.enableOutput = true, .showValues = false});
        form_.setCrlChoice(RevocationChoice::Check);
        form_.showValues();
        return false;
    }

    // An output that is its input file, under any name: checked before any work, and whatever the
    // answers, since the save would replace the document with its own content.
    bool checkOutputIsNotInput(const std::string& input, const std::string& output,
                               const FileAccess& access) const {
        if (!access.sameFile(input, output)) {
            return true;
        }
        return fail(FormBox::Output,
                    "Output file " + output +
                        " is the input file: the document would be replaced by its content",
                    focused);
    }

private:
    bool refusesCharacters() const { return !anyFileName_; }

    JobForm& form_;
    JobUi& ui_;
    const PathStyle& style_;
    bool anyFileName_;
};

} // namespace

std::optional<JobPaths> ValidateJobPaths(const FormValues& values, JobForm& form, JobUi& ui,
                                         const PathStyle& style, const FileAccess& access,
                                         PathRuleScope scope) {
    const RuleRunner rules(form, ui, style, scope.anyFileName);
    const StandardStreams* streams = scope.streams;
    if (values.input.empty() && values.inputs.empty()) {
        rules.fail(FormBox::Input, "Invalid input path! Please provide complete path");
        return std::nullopt;
    }
    JobPaths paths;
    if (values.multipleSelection) {
        paths.inputs = values.inputs;
        paths.outputs = values.outputs;
        if (!rules.checkCounts(paths)) {
            return std::nullopt;
        }
    } else {
        const bool inputStream = streams != nullptr && streams->isInput(values.input);
        const bool outputStream = streams != nullptr && streams->isOutput(values.output);
        if ((!inputStream && !rules.checkInput(values.input, access)) ||
            (!outputStream && !rules.checkOutput(values.output, access))) {
            return std::nullopt;
        }
    }
    if (values.crlChoice == RevocationChoice::Check && !rules.checkCrl(values.crlPath, access)) {
        return std::nullopt;
    }
    const auto isStream = [streams](const std::string& input, const std::string& output) {
        return streams != nullptr && (streams->isInput(input) || streams->isOutput(output));
    };
    const auto outputIsNotInput = [&](const std::string& input, const std::string& output) {
        return isStream(input, output) || rules.checkOutputIsNotInput(input, output, access);
    };
    if (!values.multipleSelection) {
        return outputIsNotInput(values.input, values.output) ? std::optional(paths) : std::nullopt;
    }
    for (std::size_t i = 0; i < paths.inputs.size(); ++i) {
        if (!outputIsNotInput(paths.inputs[i], paths.outputs[i])) {
            return std::nullopt;
        }
    }
    return paths;
}

#include "pipeline/path_validation.h"

#include "pipeline/form_text.h"

#include "support/fake_job_form.h"
#include "support/scripted_job_ui.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>

using ::testing::ElementsAre;

namespace {

// Every case is written with Windows paths rooted at "C:\", exactly as the messages read there. The
// native run swaps the separators and puts a real temporary directory where "C:\" stands; RESET
// stands for the style's reset text.
// Two directories grant only one of the two permissions.
const std::string readOnly = "C:\\readonly\\";
const std::string writeOnly = "C:\\writeonly\\";
const std::vector<std::string> existingDirectories = {"C:\\in\\", "C:\\out\\", "C:\\crl\\", readOnly,
                                                      writeOnly};
const std::vector<std::string> existingFiles = {"C:\\in\\a.qsig",           "C:\\in\\a b;c'-_.qsig",
                                                "C:\\crl\\list.crl",        "C:\\out\\exists.txt",
                                                "C:\\in\\Q&A (1),[x].qsig", readOnly + "a.qsig"};

struct RuleCase {
    std::string name;
    FormValues values;
    std::string message; // empty: the paths pass
    std::vector<std::string> effects;
    std::vector<std::string> inputs = {};
    std::vector<std::string> outputs = {};
    bool anyFileName = false; // the command line's names
};

void PrintTo(const RuleCase& c, std::ostream* out) {
    *out << c.name;
}

FormValues single(std::string input, std::string output, RevocationChoice crlChoice = RevocationChoice::Skip,
                  std::string crl = "") {
    return {std::move(input), std::move(output), crlChoice, std::move(crl), false};
}

// A multiple selection as the desktop form hands it over: its box texts and the lists split from them.
FormValues batch(std::string input, std::string output, RevocationChoice crlChoice = RevocationChoice::Skip,
                 std::string crl = "") {
    FormValues values{std::move(input), std::move(output), crlChoice, std::move(crl), true};
    values.inputs = splitPathList(values.input);
    values.outputs = splitPathList(values.output);
    return values;
}

const std::string in = "C:\\in\\a.qsig";
const std::string out = "C:\\out\\a.txt";
const std::string crl = "C:\\crl\\list.crl";

std::vector<std::string> resetWithRefresh(const std::string& box, const std::string& text) {
    return {"setBoxText(" + box + ", \"" + text + "\")", "showValues()", "focusBox(" + box + ")"};
}
std::vector<std::string> resetOnly(const std::string& box, const std::string& text) {
    return {"setBoxText(" + box + ", \"" + text + "\")", "focusBox(" + box + ")"};
}

const std::vector<std::string> countMismatch = {"enableOutput()", "setBoxText(Input, \"\")",
                                                "setBoxText(Output, \"\")", "setCrlChoice(Check)",
                                                "showValues()"};

const std::vector<RuleCase> cases = {
    {"EmptyInputIsRefused", single("", out), "Invalid input path! Please provide complete path", {}},
    {"EmptyBatchInputIsRefused", batch("", out), "Invalid input path! Please provide complete path", {}},
    {"InputWithRefusedSeparatorIsRefused", single("C:/docs/a.qsig", out),
     "Invalid input path! Use '\\' instead of '/' to delimit directories", resetWithRefresh("Input", "")},
    {"InputSeparatorIsCheckedBeforeSpecialCharacters", single("C:\\in/a#.qsig", out),
     "Invalid input path! Use '\\' instead of '/' to delimit directories", resetWithRefresh("Input", "")},
    {"InputWithSpecialCharacterIsRefused", single("C:\\in\\a#.qsig", out),
     "Invalid input file path! Special characters not allowed in the file name",
     resetWithRefresh("Input", "")},
    {"InputWithoutSeparatorIsReset", single("a.qsig", out),
     "Invalid input path! Use '\\' instead of '/' to delimit directories",
     resetWithRefresh("Input", "RESET")},
    {"InputWithoutFileNameIsRefused",
     single("C:\\docs\\", out),
     "Invalid input! Please provide a file",
     {"focusBox(Input)"}},
    {"InputDirectoryMustBeReadable", single("C:\\gone\\a.qsig", out),
     "Input directory C:\\gone\\ does not exist or does not have read permissions",
     resetOnly("Input", "RESET")},
    {"InputFileMustBeReadable", single("C:\\in\\b.qsig", out),
     "Input file C:\\in\\b.qsig does not exist or does not have read permissions set",
     resetOnly("Input", "RESET")},
    {"EmptyOutputIsRefused", single(in, ""), "Invalid output path! Please provide complete path", {}},
    {"OutputWithRefusedSeparatorIsRefused", single(in, "C:/out/a.txt"),
     "Invalid output! Use '\\' instead of '/' to delimit directories", resetWithRefresh("Output", "")},
    {"OutputWithSpecialCharacterIsRefused", single(in, "C:\\out\\a(1).txt"),
     "Invalid output file path! Special characters not allowed inthe file name",
     resetWithRefresh("Output", "")},
    {"OutputWithoutSeparatorIsReset", single(in, "a.txt"),
     "Invalid output! Use '\\' instead of '/' to delimit directories", resetWithRefresh("Output", "RESET")},
    {"OutputWithoutFileNameIsRefused",
     single(in, "C:\\out\\"),
     "Invalid file name! Please provide a file name",
     {"focusBox(Output)"}},
    {"OutputDirectoryMustBeWritable", single(in, "C:\\gone\\a.txt"),
     "Output directory C:\\gone\\ does not exist or does not have write permissions",
     resetOnly("Output", "RESET")},
    {"InputDirectoryWritableButNotReadableIsRefused", single(writeOnly + "a.qsig", out),
     "Input directory " + writeOnly + " does not exist or does not have read permissions",
     resetOnly("Input", "RESET")},
    {"InputDirectoryReadableButNotWritablePasses", single(readOnly + "a.qsig", out), "", {}},
    {"OutputDirectoryReadableButNotWritableIsRefused", single(in, readOnly + "a.txt"),
     "Output directory " + readOnly + " does not exist or does not have write permissions",
     resetOnly("Output", "RESET")},
    {"OutputDirectoryWritableButNotReadablePasses", single(in, writeOnly + "a.txt"), "", {}},
    {"SingleFilePasses", single(in, out), "", {}},
    {"SemicolonSpaceAndPunctuationAreAllowed", single("C:\\in\\a b;c'-_.qsig", out), "", {}},
    {"ExistingOutputPasses", single(in, "C:\\out\\exists.txt"), "", {}},
    {"OutputThatIsTheInputIsRefused",
     single(in, in),
     "Output file C:\\in\\a.qsig is the input file: the document would be replaced by its content",
     {"focusBox(Output)"}},
    {"BatchOutputThatIsItsInputIsRefused",
     batch("C:\\out\\exists.txt;C:\\in\\a.qsig", "C:\\in\\a.qsig;C:\\in\\a.qsig"),
     "Output file C:\\in\\a.qsig is the input file: the document would be replaced by its content",
     {"focusBox(Output)"}},
    {"AnyFileNameTakesEveryCharacter",
     single("C:\\in\\Q&A (1),[x].qsig", "C:\\out\\c++ notes {1}.txt", RevocationChoice::Skip),
     "",
     {},
     {},
     {},
     true},
    {"AnyFileNameStillRefusesTheInputAsOutput",
     single(in, in),
     "Output file C:\\in\\a.qsig is the input file: the document would be replaced by its content",
     {"focusBox(Output)"},
     {},
     {},
     true},
    {"CrlIgnoredWhenNotChecked", single(in, out, RevocationChoice::Skip, "C:/x#"), "", {}},
    {"EmptyCrlPathIsRefused",
     single(in, out, RevocationChoice::Check, ""),
     "Please provide path to CRL file!",
     {}},
    {"CrlWithSpecialCharacterIsRefused", single(in, out, RevocationChoice::Check, "C:\\crl\\l{1}.crl"),
     "Invalid CRL file path! Special characters not allowed inthe file name",
     resetWithRefresh("CrlPath", "")},
    {"CrlSpecialCharactersAreCheckedBeforeSeparator",
     single(in, out, RevocationChoice::Check, "C:/crl/l{1}.crl"),
     "Invalid CRL file path! Special characters not allowed inthe file name",
     resetWithRefresh("CrlPath", "")},
    {"CrlWithRefusedSeparatorIsRefused", single(in, out, RevocationChoice::Check, "C:/crl/list.crl"),
     "Invalid CRL path! Use '\\' instead of '/' to delimit directories", resetWithRefresh("CrlPath", "")},
    {"CrlExtensionIsCaseSensitive", single(in, out, RevocationChoice::Check, "C:\\crl\\list.CRL"),
     "CRL path accepts only files with \".crl\" extension", resetWithRefresh("CrlPath", "")},
    {"CrlShorterThanItsExtensionIsRefused", single(in, out, RevocationChoice::Check, "crl"),
     "CRL path accepts only files with \".crl\" extension", resetWithRefresh("CrlPath", "")},
    {"RelativeCrlPathIsRefused", single(in, out, RevocationChoice::Check, "list.crl"),
     "Cannot give relative path to crl file", resetWithRefresh("CrlPath", "")},
    {"CrlDirectoryMustBeReadable", single(in, out, RevocationChoice::Check, "C:\\gone\\list.crl"),
     "CRL directory C:\\gone\\ does not exist or does not have read permissions", resetOnly("CrlPath", "")},
    {"CrlDirectoryWritableButNotReadableIsRefused",
     single(in, out, RevocationChoice::Check, writeOnly + "l.crl"),
     "CRL directory " + writeOnly + " does not exist or does not have read permissions",
     resetOnly("CrlPath", "")},
    {"CrlFileMustBeReadable", single(in, out, RevocationChoice::Check, "C:\\crl\\other.crl"),
     "CRL file C:\\crl\\other.crl does not exist or does not have read permissions set",
     resetOnly("CrlPath", "")},
    {"CrlPasses", single(in, out, RevocationChoice::Check, crl), "", {}},
    {"BatchCountsMustMatch",
     batch("C:\\in\\a;C:\\in\\b;C:\\in\\c", "C:\\out\\a;C:\\out\\b", RevocationChoice::Skip),
     "Count of input files is not same as output files", countMismatch},
    {"BatchCountsAreCheckedBeforeTheCrl", batch("a;b", "x", RevocationChoice::Check, ""),
     "Count of input files is not same as output files", countMismatch},
    {"BatchRunsOfSemicolonsCountOnce",
     batch("C:\\in\\a;;C:\\in\\b;", "C:\\out\\a;C:\\out\\b"),
     "",
     {},
     {"C:\\in\\a", "C:\\in\\b"},
     {"C:\\out\\a", "C:\\out\\b"}},
    {"BatchItemsKeepInnerSpaces", batch("  a; b ", "x ;y"), "", {}, {"a", " b "}, {"x ", "y"}},
    {"BatchPathsAreNotChecked", batch("C:/x#", "y"), "", {}, {"C:/x#"}, {"y"}},
    {"BatchLeadingSemicolonGivesNoItems", batch(";C:\\in\\a", ""), "", {}},
    {"BatchStillChecksTheCrl", batch("a", "b", RevocationChoice::Check, "list.crl"),
     "Cannot give relative path to crl file", resetWithRefresh("CrlPath", "")},
    {"BatchWithCrlPasses", batch("a", "b", RevocationChoice::Check, crl), "", {}, {"a"}, {"b"}},
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Turns a case's text into the style under test.
class Translator {
public:
    Translator(const PathStyle& style, std::string root) : style_(style), root_(std::move(root)) {}
    std::string operator()(const std::string& windowsText) const {
        if (&style_ == &PathStyle::windows()) {
            return replaceAll(windowsText, "RESET", style_.resetText);
        }
        const std::string swapped = style_.localize(windowsText);
        return replaceAll(replaceAll(swapped, "C:/", root_ + "/"), "RESET", style_.resetText);
    }
    std::vector<std::string> operator()(const std::vector<std::string>& texts) const {
        std::vector<std::string> result;
        for (const std::string& text : texts) {
            result.push_back((*this)(text));
        }
        return result;
    }
    FormValues operator()(FormValues values) const {
        values.input = (*this)(values.input);
        values.output = (*this)(values.output);
        values.crlPath = (*this)(values.crlPath);
        values.inputs = (*this)(values.inputs);
        values.outputs = (*this)(values.outputs);
        return values;
    }

private:
    const PathStyle& style_;
    std::string root_;
};

// The Windows layout as a set of paths: every directory and file listed is readable and every
// directory writable, but for the two that grant only one of the two.
class FakeFileAccess : public FileAccess {
public:
    FakeFileAccess() {
        paths_.insert(existingDirectories.begin(), existingDirectories.end());
        paths_.insert(existingFiles.begin(), existingFiles.end());
    }
    bool readable(const std::string& path) const override { return exists(path) && path != writeOnly; }
    bool writable(const std::string& path) const override {
        return exists(path) && path.back() == '\\' && path != readOnly;
    }
    bool exists(const std::string& path) const override { return paths_.count(path) != 0; }
    bool sameFile(const std::string& first, const std::string& second) const override {
        return exists(first) && first == second;
    }

private:
    std::set<std::string> paths_;
};

// Root passes every permission check: for its lifetime, the real and effective user is then one
// without rights ("nobody"), who can become root again.
class WithoutRootsRights {
public:
    WithoutRootsRights() : dropped_(::geteuid() == 0) {
        constexpr uid_t nobody = 65534;
        if (dropped_ && (::setresgid(nobody, nobody, 0) != 0 || ::setresuid(nobody, nobody, 0) != 0)) {
            throw std::runtime_error("cannot become nobody");
        }
    }
    WithoutRootsRights(const WithoutRootsRights&) = delete;
    WithoutRootsRights& operator=(const WithoutRootsRights&) = delete;
    ~WithoutRootsRights() {
        if (dropped_ && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0)) {
            std::abort();
        }
    }

private:
    bool dropped_;
};

enum class Style { Windows, Native };

class PathRulesTest : public ::testing::TestWithParam<std::tuple<RuleCase, Style>> {
protected:
    void SetUp() override {
        if (std::get<1>(GetParam()) == Style::Native) {
            const Translator place(PathStyle::native(), dir.path());
            for (const std::string& directory : existingDirectories) {
                std::filesystem::create_directories(place(directory));
            }
            for (const std::string& file : existingFiles) {
                std::ofstream(place(file)) << "x";
            }
            // Modes that hold for the owner and for anyone else alike.
            ::chmod(dir.path().c_str(), 0755);
            for (const std::string& directory : existingDirectories) {
                ::chmod(place(directory).c_str(), directory == readOnly    ? 0555
                                                  : directory == writeOnly ? 0333
                                                                           : 0777);
            }
        }
    }

    TempDir dir;
};

TEST_P(PathRulesTest, MessageEffectsAndLists) {
    const auto& [c, styleChoice] = GetParam();
    const PathStyle& style = styleChoice == Style::Windows ? PathStyle::windows() : PathStyle::native();
    const Translator translate(style, dir.path());
    const FakeFileAccess fakeAccess;
    const FileAccess realAccess;
    const FileAccess& access =
        styleChoice == Style::Windows ? static_cast<const FileAccess&>(fakeAccess) : realAccess;
    const FormValues values = translate(c.values);
    FakeJobForm form(values);
    ScriptedJobUi ui;

    std::optional<WithoutRootsRights> unprivileged;
    if (styleChoice == Style::Native) {
        unprivileged.emplace();
    }
    const std::optional<JobPaths> paths =
        ValidateJobPaths(values, form, ui, style, access, {.anyFileName = c.anyFileName});
    unprivileged.reset();

    if (c.message.empty()) {
        ASSERT_TRUE(paths.has_value()) << ::testing::PrintToString(ui.messageTexts());
        EXPECT_EQ(paths->inputs, translate(c.inputs));
        EXPECT_EQ(paths->outputs, translate(c.outputs));
        EXPECT_TRUE(ui.events.empty());
    } else {
        EXPECT_FALSE(paths.has_value());
        EXPECT_THAT(ui.messages(),
                    ElementsAre(ShownMessage{translate(c.message), IconKind::Warning, Buttons::Ok}));
    }
    EXPECT_EQ(form.effects, translate(c.effects));
}

INSTANTIATE_TEST_SUITE_P(BothStyles, PathRulesTest,
                         ::testing::Combine(::testing::ValuesIn(cases),
                                            ::testing::Values(Style::Windows, Style::Native)),
                         [](const auto& info) {
                             return std::get<0>(info.param).name +
                                    (std::get<1>(info.param) == Style::Windows ? "_Windows" : "_Native");
                         });

TEST(PathRules, MismatchedBatchLeavesTheFormReadyForANewChoice) {
    FakeJobForm form(batch("a;b;c", "x;y", RevocationChoice::Skip, "/c.crl"));
    ScriptedJobUi ui;
    EXPECT_FALSE(ValidateJobPaths(form.shown, form, ui, PathStyle::native(), FileAccess()));
    EXPECT_EQ(form.shown.crlChoice, RevocationChoice::Check);
    EXPECT_TRUE(form.outputEnabled);
    EXPECT_EQ(form.shown.input, "");
    EXPECT_EQ(form.shown.output, "");
    EXPECT_FALSE(form.focused.has_value());
}

// On POSIX systems the native messages swap the two characters; on Windows they stay as written.
TEST(PathRules, NativeMessagesNameTheNativeSeparator) {
    const bool posix = PathStyle::native().separator == '/';
    EXPECT_EQ(
        PathStyle::native().localize("Invalid input path! Use '\\' instead of '/' to delimit directories"),
        posix ? "Invalid input path! Use '/' instead of '\\' to delimit directories"
              : "Invalid input path! Use '\\' instead of '/' to delimit directories");
    EXPECT_EQ(PathStyle::native().resetText, posix ? "/" : "C:\\");
    EXPECT_EQ(PathStyle::windows().localize("Use '\\' instead of '/'"), "Use '\\' instead of '/'");
}

} // namespace

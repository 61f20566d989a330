// The path rules on fuzzed form values, in both path styles, against a made-up disk. The first byte
// chooses the style (bit 0: Windows), the revocation choice (bit 1), a batch (bit 2) and how the
// disk answers (bit 3: everything exists and may be read; bit 4: every directory may be written);
// the rest is the input, output and CRL boxes separated by line feeds.
//
// What must hold: paths that pass show nothing, and a refusal shows exactly one warning. Passed
// single-file paths hold a separator, neither the refused separator nor a special character, and
// name a file; a passed batch has as many outputs as inputs, none empty; a passed CRL ends in ".crl".
#include "fuzz_support.h"
#include "pipeline/form_text.h"
#include "pipeline/path_validation.h"
#include "support/fake_job_form.h"
#include "support/scripted_job_ui.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

namespace {

// A few directories and files exist; bits of the first byte widen what may be read and written.
class MadeUpDisk : public FileAccess {
public:
    MadeUpDisk(char separator, bool readAll, bool writeAll)
        : separator_(separator), readAll_(readAll), writeAll_(writeAll) {
        const std::string root = separator == '\\' ? "C:\\" : "/";
        for (const char* name : {"in", "out", "crl"}) {
            existing_.insert(root + name + separator);
        }
        existing_.insert(root + "in" + separator + "a.qsig");
        existing_.insert(root + "crl" + separator + "list.crl");
    }
    bool readable(const std::string& path) const override { return readAll_ || existing_.count(path) != 0; }
    bool writable(const std::string& path) const override {
        return !path.empty() && path.back() == separator_ && (writeAll_ || readable(path));
    }
    bool exists(const std::string& path) const override { return readable(path); }
    bool sameFile(const std::string& first, const std::string& second) const override {
        return exists(first) && first == second;
    }

private:
    char separator_;
    bool readAll_;
    bool writeAll_;
    std::set<std::string> existing_;
};

std::string_view nextField(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return field;
}

bool isAcceptablePath(const std::string& path, const PathStyle& style) {
    return path.find(style.separator) != std::string::npos && path.find(style.refused) == std::string::npos &&
           path.find_first_of("~!@#$%^&*()+=<>,?|{}[]") == std::string::npos &&
           path.back() != style.separator;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t bits = data[0];
    const PathStyle& style = (bits & 1) != 0 ? PathStyle::windows() : PathStyle::native();
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    FormValues values;
    values.input = nextField(rest);
    values.output = nextField(rest);
    values.crlPath = nextField(rest);
    values.crlChoice = (bits & 2) != 0 ? RevocationChoice::Check : RevocationChoice::Skip;
    values.multipleSelection = (bits & 4) != 0;
    if (values.multipleSelection) {
        // As the desktop form hands a multiple selection over.
        values.inputs = splitPathList(trimmedBoxText(values.input));
        values.outputs = splitPathList(trimmedBoxText(values.output));
    }

    const MadeUpDisk disk(style.separator, (bits & 8) != 0, (bits & 16) != 0);
    FakeJobForm form(values);
    ScriptedJobUi ui;
    const std::optional<JobPaths> paths = ValidateJobPaths(values, form, ui, style, disk);

    if (!paths) {
        check(ui.events.size() == 1 && ui.events[0].kind == UiEvent::Kind::Message &&
              ui.events[0].icon == IconKind::Warning && ui.events[0].buttons == Buttons::Ok &&
              !ui.events[0].text.empty());
        return 0;
    }
    check(ui.events.empty() && form.effects.empty());
    if (values.multipleSelection) {
        check(paths->inputs.size() == paths->outputs.size());
        for (const auto* list : {&paths->inputs, &paths->outputs}) {
            for (const std::string& path : *list) {
                check(!path.empty());
            }
        }
    } else {
        check(paths->inputs.empty() && paths->outputs.empty());
        check(isAcceptablePath(values.input, style) && isAcceptablePath(values.output, style));
    }
    if (values.crlChoice == RevocationChoice::Check) {
        check(values.crlPath.size() >= 4 && values.crlPath.ends_with(".crl"));
    }
    return 0;
}

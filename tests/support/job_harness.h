#pragma once
// One Verify/Decrypt job run as the person would run it from the form, in a temporary directory:
// scripted answers, an in-memory form, the activity log and the key-notice marker in an application
// directory of its own, and a fixed clock for the log.
#include "pipeline/job_driver.h"
#include "support/document_writer.h"
#include "support/fake_job_form.h"
#include "support/scripted_job_ui.h"
#include "support/temp_dir.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct LogRecord {
    std::string kind;
    std::string message;
    std::string files;
    bool operator==(const LogRecord&) const = default;
};
std::ostream& operator<<(std::ostream& out, const LogRecord& record);

// The signer and the recipient of every test document (made once per test program).
const testdoc::Identity& testSigner();
const testdoc::Identity& testRecipient();

class JobHarness {
public:
    // The job's files live in a fresh directory under base.
    explicit JobHarness(const std::filesystem::path& base = std::filesystem::temp_directory_path());

    TempDir dir;
    ScriptedJobUi ui;
    FakeJobForm form;
    JobSettings settings;

    std::string path(const std::string& name) const { return dir.file(name); }
    std::string write(const std::string& name, const std::string& bytes) const {
        return dir.write(name, bytes);
    }
    std::string read(const std::string& name) const { return dir.read(name); }
    bool exists(const std::string& name) const;

    // The form as the person left it, then the Verify/Decrypt press.
    JobReport run(const FormValues& values);
    JobReport runSingle(const std::string& input, const std::string& output);
    JobReport runBatch(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

    // The records of the activity log, without their date and time.
    std::vector<LogRecord> log() const;
    std::string markerPath() const { return settings.appPaths.keyNoticeMarkerPath(); }

    // The job's certificate store, holding the certificate and key of holder (by default the test
    // recipient), protected by password where the store has one of its own. On Linux a database in
    // the job's directory; on Windows the user's personal store, the tests running as a throw-away
    // Wine user.
    void makeStore(const std::string& password = "") { makeStore(testRecipient(), password); }
    void makeStore(const testdoc::Identity& holder, const std::string& password = "");
};

// content wrapped in layers given outermost first: 'S' signed by testSigner(), 'P' pass-phrase,
// 'K' certificate-encrypted to testRecipient(). The n-th 'P' from the outside takes layerPassPhrase(n).
std::string wrapLayers(std::string_view layers, std::string content);
std::string layerPassPhrase(int n);
// The pass phrases of wrapLayers' layers in the order they are asked for.
std::vector<std::optional<std::string>> passPhrasesFor(std::string_view layers);

// The files field of a log record.
std::string pairOf(const std::string& input, const std::string& output);

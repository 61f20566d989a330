#pragma once
// How the pipeline reaches the person: each front end (desktop, terminal, tests) implements this.
#include "e2eCrypto/secret_string.h"
#include "e2eCrypto/signature_verdict.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

struct FileReport;

// The pictures of the message dialog. Any other value shows the yellow warning triangle.
enum class IconKind : int {
    Warning = 0,
    RedAlert = 1,
    OrangeCircle = 2,
    Error = 3,
    Magnifier = 4,
    PadlockKey = 5,
    Success = 6,
    Certificate = 8,
    Information = 9,
};

enum class Buttons { Ok, OkCancel, YesNo };

// How far a job has come: document `file` of `files` (counted from 1), at path `input`, is read
// and `bytes` long.
struct JobProgress {
    std::size_t file = 0;
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    std::string input;
};

// Every operation is pure: each front end, and the desktop's forwarder to its GUI thread, must say
// what it does with a new one, so none can fall silently to a default (or to the worker thread).
class JobUi {
public:
    virtual ~JobUi() = default;

    // Modal message; true when OK or Yes was pressed.
    virtual bool showMessage(const std::string& text, IconKind icon, Buttons buttons = Buttons::Ok) = 0;
    // The pass-phrase prompt; an empty optional means Cancel.
    virtual std::optional<SecretString> askPassPhrase() = 0;
    // The key-security notice; true when OK was pressed with "Do not show this dialog again" ticked.
    virtual bool showKeyNotice() = 0;
    virtual void showSignatureResult(const SignatureVerdict& verdict) = 0;
    // The certificate store's password; an empty optional means Cancel.
    virtual std::optional<SecretString> askStorePassword(const std::string& tokenName, bool retry) = 0;

    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // A document was read and its layers are next; front ends that show no progress ignore it.
    virtual void reportProgress(const JobProgress& progress) = 0;
    // A document is done with (saved, failed, skipped, declined or cancelled); its report is final.
    virtual void reportDocumentEnd(const FileReport& report) = 0;
    // count unfinished temporary files, left beside outputPath by programs that ended, were removed
    // before saving to it; front ends that show no housekeeping ignore it.
    virtual void reportAbandonedFilesRemoved(const std::string& outputPath, int count) = 0;

    // Ends the process after an errorDef::Fatal. JobUi::terminateApplication ends it at once, for
    // a front end to call explicitly; tests replace it to observe the call.
    virtual void terminateApplication(int exitStatus) = 0;
};

// Shows the wait cursor for its lifetime, exceptions included.
class WaitCursorGuard {
public:
    explicit WaitCursorGuard(JobUi& ui) : ui_(ui) { ui_.beginWaitCursor(); }
    WaitCursorGuard(const WaitCursorGuard&) = delete;
    WaitCursorGuard& operator=(const WaitCursorGuard&) = delete;
    ~WaitCursorGuard() { ui_.endWaitCursor(); }

private:
    JobUi& ui_;
};

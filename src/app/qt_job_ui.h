#pragma once
// The job's way to the person in the desktop program: the program's own modal dialogs.
#include "pipeline/job_ui.h"

#include <QPointer>
#include <QWidget>

class JobProgressStrip;

class QtJobUi : public JobUi {
public:
    // owner: the window the dialogs belong to (the main window); may be null.
    explicit QtJobUi(QWidget* owner) : owner_(owner) {}

    bool showMessage(const std::string& text, IconKind icon, Buttons buttons = Buttons::Ok) override;
    std::optional<SecretString> askPassPhrase() override;
    bool showKeyNotice() override;
    void showSignatureResult(const SignatureVerdict& verdict) override;
    std::optional<SecretString> askStorePassword(const std::string& tokenName, bool retry) override;
    void beginWaitCursor() override;
    void endWaitCursor() override;
    void reportProgress(const JobProgress& progress) override;
    // The dialogs have told the person every end and removal already.
    void reportDocumentEnd(const FileReport& /*report*/) override {}
    void reportAbandonedFilesRemoved(const std::string& /*outputPath*/, int /*count*/) override {}
    void terminateApplication(int exitStatus) override { JobUi::terminateApplication(exitStatus); }

    // Where progress is shown; none: progress is not shown.
    void setProgressStrip(JobProgressStrip* strip);

private:
    QPointer<QWidget> owner_;
    QPointer<JobProgressStrip> progress_;
};

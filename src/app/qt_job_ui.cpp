#include "app/qt_job_ui.h"

#include "app/job_progress_strip.h"
#include "app/key_notice_dialog.h"
#include "app/message_dialog.h"
#include "app/pass_phrase_dialog.h"
#include "app/signature_result_dialog.h"
#include "app/text_bytes.h"

#include <QApplication>
#include <QCursor>

namespace {

// While a dialog waits for the person, it gets the ordinary arrow instead of the job's wait cursor,
// and the progress strip stands still.
class WhileAsking {
public:
    explicit WhileAsking(JobProgressStrip* strip)
        : pushed_(QApplication::overrideCursor() != nullptr), strip_(strip) {
        if (pushed_) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
        if (strip_ != nullptr) {
            strip_->setWaiting(true);
        }
    }
    WhileAsking(const WhileAsking&) = delete;
    WhileAsking& operator=(const WhileAsking&) = delete;
    ~WhileAsking() {
        if (pushed_) {
            QApplication::restoreOverrideCursor();
        }
        if (strip_ != nullptr) {
            strip_->setWaiting(false);
        }
    }

private:
    bool pushed_;
    QPointer<JobProgressStrip> strip_;
};

} // namespace

bool QtJobUi::showMessage(const std::string& text, IconKind icon, Buttons buttons) {
    const WhileAsking asking(progress_);
    return MessageDialog::ShowMessage(owner_, fromBytes(text), icon, messageButtons(buttons));
}

std::optional<SecretString> QtJobUi::askPassPhrase() {
    const WhileAsking asking(progress_);
    return PassPhraseDialog::AskPassPhrase(owner_);
}

bool QtJobUi::showKeyNotice() {
    const WhileAsking asking(progress_);
    return KeyNoticeDialog::ShowKeyNotice(owner_);
}

void QtJobUi::showSignatureResult(const SignatureVerdict& verdict) {
    const WhileAsking asking(progress_);
    SignatureResultDialog::showResult(verdict, owner_);
}

std::optional<SecretString> QtJobUi::askStorePassword(const std::string& tokenName, bool retry) {
    const WhileAsking asking(progress_);
    return PassPhraseDialog::askStorePassword(owner_, fromBytes(tokenName), retry);
}

void QtJobUi::beginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtJobUi::endWaitCursor() {
    QApplication::restoreOverrideCursor();
}

void QtJobUi::setProgressStrip(JobProgressStrip* strip) {
    progress_ = strip;
}

void QtJobUi::reportProgress(const JobProgress& progress) {
    if (progress_ != nullptr) {
        progress_->showDocument(progress);
    }
}

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

// While the job shows the wait cursor, a dialog still gets the ordinary arrow.
class ArrowWhileAsking {
public:
    ArrowWhileAsking() : pushed_(QApplication::overrideCursor() != nullptr) {
        if (pushed_) {
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;
    ~ArrowWhileAsking() {
        if (pushed_) {
            QApplication::restoreOverrideCursor();
        }
    }

private:
    bool pushed_;
};

} // namespace

bool QtJobUi::showMessage(const std::string& text, IconKind icon, Buttons buttons) {
    const ArrowWhileAsking arrow;
    return MessageDialog::ShowMessage(owner_, fromBytes(text), icon, messageButtons(buttons));
}

std::optional<SecretString> QtJobUi::askPassPhrase() {
    const ArrowWhileAsking arrow;
    return PassPhraseDialog::AskPassPhrase(owner_);
}

bool QtJobUi::showKeyNotice() {
    const ArrowWhileAsking arrow;
    return KeyNoticeDialog::ShowKeyNotice(owner_);
}

void QtJobUi::showSignatureResult(const SignatureVerdict& verdict) {
    const ArrowWhileAsking arrow;
    SignatureResultDialog::ShowResult(verdict, owner_);
}

std::optional<SecretString> QtJobUi::askStorePassword(const std::string& tokenName, bool retry) {
    const ArrowWhileAsking arrow;
    return PassPhraseDialog::AskStorePassword(owner_, fromBytes(tokenName), retry);
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
        progress_->showProgress(progress);
    }
}

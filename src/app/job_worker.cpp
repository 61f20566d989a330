#include "app/job_worker.h"

#include "e2eCrypto/error_records.h"
#include "platform/work_progress.h"

#include <QThread>

#include <exception>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>

namespace {

// Runs call on gui's thread and waits for its result; an exception it throws is thrown here.
template <typename Call> std::invoke_result_t<Call&> onGuiThread(QObject* gui, Call call) {
    using Result = std::invoke_result_t<Call&>;
    if (QThread::currentThread() == gui->thread()) {
        return call();
    }
    std::exception_ptr failure;
    std::conditional_t<std::is_void_v<Result>, bool, std::optional<Result>> result{};
    QMetaObject::invokeMethod(
        gui,
        [&] {
            try {
                if constexpr (std::is_void_v<Result>) {
                    call();
                } else {
                    result.emplace(call());
                }
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) {
        std::rethrow_exception(failure);
    }
    if constexpr (!std::is_void_v<Result>) {
        return std::move(*result);
    }
}

// What the person is told when something the job did not handle escapes it.
std::string escapedFailureText(const std::exception_ptr& failure) {
    const std::string stopped = "The Verify/Decrypt operation stopped on an unexpected error";
    try {
        std::rethrow_exception(failure);
    } catch (const ErrorRecord& record) {
        return record.message;
    } catch (const std::bad_alloc&) {
        return "Insufficient System Memory";
    } catch (const std::exception& error) {
        return stopped + ": " + error.what();
    } catch (...) {
        return stopped;
    }
}

} // namespace

class JobWorker::FormOnGuiThread : public JobForm {
public:
    FormOnGuiThread(JobForm& form, QObject* gui) : form_(form), gui_(gui) {}

    FormValues readValues() override {
        return onGuiThread(gui_, [this] { return form_.readValues(); });
    }
    void setBoxText(FormBox box, const std::string& text) override {
        onGuiThread(gui_, [&] { form_.setBoxText(box, text); });
    }
    void setCrlChoice(RevocationChoice choice) override {
        onGuiThread(gui_, [&] { form_.setCrlChoice(choice); });
    }
    void showValues() override {
        onGuiThread(gui_, [this] { form_.showValues(); });
    }
    void focusBox(FormBox box) override {
        onGuiThread(gui_, [&] { form_.focusBox(box); });
    }
    void enableOutput() override {
        onGuiThread(gui_, [this] { form_.enableOutput(); });
    }

private:
    JobForm& form_;
    QObject* gui_;
};

class JobWorker::UiOnGuiThread : public JobUi {
public:
    UiOnGuiThread(JobUi& ui, QObject* gui) : ui_(ui), gui_(gui) {}

    bool showMessage(const std::string& text, IconKind icon, Buttons buttons) override {
        return onGuiThread(gui_, [&] { return ui_.showMessage(text, icon, buttons); });
    }
    std::optional<SecretString> askPassPhrase() override {
        return onGuiThread(gui_, [this] { return ui_.askPassPhrase(); });
    }
    bool showKeyNotice() override {
        return onGuiThread(gui_, [this] { return ui_.showKeyNotice(); });
    }
    void showSignatureResult(const SignatureVerdict& verdict) override {
        onGuiThread(gui_, [&] { ui_.showSignatureResult(verdict); });
    }
    std::optional<SecretString> askStorePassword(const std::string& tokenName, bool retry) override {
        return onGuiThread(gui_, [&] { return ui_.askStorePassword(tokenName, retry); });
    }
    void beginWaitCursor() override {
        onGuiThread(gui_, [this] { ui_.beginWaitCursor(); });
    }
    void endWaitCursor() override {
        onGuiThread(gui_, [this] { ui_.endWaitCursor(); });
    }
    // Progress is news, not a question: the job does not wait for it to be shown.
    void reportProgress(const JobProgress& progress) override {
        QMetaObject::invokeMethod(gui_, [this, progress] { ui_.reportProgress(progress); });
    }
    void reportDocumentEnd(const FileReport& report) override {
        onGuiThread(gui_, [&] { ui_.reportDocumentEnd(report); });
    }
    void reportAbandonedFilesRemoved(const std::string& outputPath, int count) override {
        onGuiThread(gui_, [&] { ui_.reportAbandonedFilesRemoved(outputPath, count); });
    }
    void terminateApplication(int exitStatus) override {
        onGuiThread(gui_, [&] { ui_.terminateApplication(exitStatus); });
    }

private:
    JobUi& ui_;
    QObject* gui_;
};

JobWorker::JobWorker(JobForm& form, JobUi& ui, QObject* parent)
    : QObject(parent), form_(std::make_unique<FormOnGuiThread>(form, this)),
      ui_(std::make_unique<UiOnGuiThread>(ui, this)), guiUi_(ui) {}

JobWorker::~JobWorker() {
    if (thread_ != nullptr) {
        thread_->wait();
        delete thread_;
    }
}

void JobWorker::start(Runner runner) {
    if (thread_ != nullptr) {
        return;
    }
    guiUi_.beginWaitCursor();
    progress_ = std::make_unique<WorkProgress>();
    thread_ = QThread::create([this, runner = std::move(runner)] {
        // Nothing may leave the thread: an exception there would end the whole program.
        try {
            runner(*form_, *ui_);
        } catch (...) {
            const std::string text = escapedFailureText(std::current_exception());
            try {
                ui_->showMessage(text, IconKind::Error, Buttons::Ok);
            } catch (...) {
                // The message itself could not be shown; the job is over all the same.
            }
        }
    });
    connect(thread_, &QThread::finished, this, &JobWorker::onThreadFinished);
    thread_->start();
}

void JobWorker::onThreadFinished() {
    thread_->wait();
    delete std::exchange(thread_, nullptr);
    progress_.reset();
    guiUi_.endWaitCursor();
    emit finished();
}

void JobWorker::stop() {
    if (progress_ != nullptr) {
        progress_->requestStop();
    }
}

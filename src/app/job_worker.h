#pragma once
// Runs one Verify/Decrypt job on a worker thread, so that the window keeps painting while a large
// document is worked on. Every call the job makes on the form or on the person is carried to the
// GUI thread and answered there before the job goes on: the dialogs come one at a time, in order.
#include "pipeline/job_form.h"
#include "pipeline/job_ui.h"

#include <QObject>

#include <functional>
#include <memory>

class QThread;
class WorkProgress;

class JobWorker : public QObject {
    Q_OBJECT
public:
    using Runner = std::function<void(JobForm& form, JobUi& ui)>;

    // form and ui belong to the GUI thread and outlive the worker.
    JobWorker(JobForm& form, JobUi& ui, QObject* parent = nullptr);
    // Waits for a running job: the form and the dialogs must not go while it uses them.
    ~JobWorker() override;
    JobWorker(const JobWorker&) = delete;
    JobWorker& operator=(const JobWorker&) = delete;

    // Starts runner on a new thread, under the wait cursor; finished() follows its end.
    void start(Runner runner);
    bool isRunning() const { return thread_ != nullptr; }
    // The running job's progress, which its loops report to; null when no job runs.
    const WorkProgress* progress() const { return progress_.get(); }
    // The running job stops at its next block, or when its dialog in progress is answered.
    void stop();

signals:
    void finished();

private:
    void onThreadFinished();

    class FormOnGuiThread;
    class UiOnGuiThread;
    std::unique_ptr<FormOnGuiThread> form_;
    std::unique_ptr<UiOnGuiThread> ui_;
    JobUi& guiUi_;
    std::unique_ptr<WorkProgress> progress_;
    QThread* thread_ = nullptr;
};

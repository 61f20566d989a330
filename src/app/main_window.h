#pragma once
// The whole visible program: its own caption, the task strip and, below, one page at a time
// (the welcome page or the Verify/Decrypt form).
#include "app/qt_job_ui.h"

#include <QPointer>
#include <QSize>
#include <QUrl>
#include <QWidget>

#include <functional>

class CaptionBar;
class JobForm;
class JobProgressStrip;
class QMimeData;
class JobWorker;
class PageBackdrop;
class QLineEdit;
class QSizeGrip;
class QStackedWidget;
class TaskStrip;
class VerifyDecryptForm;
class WindowEdges;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    enum Page { WelcomePage = 0, FormPage = 1 };
    // Runs one Verify/Decrypt job on the form, talking through the dialogs.
    using JobRunner = std::function<void(JobForm& form, JobUi& ui)>;

    static QUrl vendorUrl();
    // The form's size in dialog units: the page shows it whole at the window's normal size.
    static constexpr QSize kFormUnits{481, 271};

    // The window's size when neither maximized nor resized: the whole form under caption and
    // tasks; the smallest size: half the form (the page scrolls to the rest). Both leave room for
    // the artwork's words (wordsSize) where the screen has it: the banner's word mark and the
    // welcome title are not cut.
    QSize normalSize() const;
    QSize smallestSize() const;
    QSize wordsSize() const;
    // Where the window goes when first restored: its normal size, fitted into and centred on
    // available (a screen's free area).
    QRect firstNormalGeometry(const QRect& available) const;

    explicit MainWindow(QWidget* parent = nullptr);

    void ShowPage(int page);
    void ResetTasks();
    int currentPage() const;

    // The job runs on a worker thread; meanwhile the window paints and moves, Help opens, and Esc or
    // the form's Cancel stop the job; the other controls wait.
    void setJobRunner(JobRunner runner) { jobRunner_ = std::move(runner); }
    const JobRunner& jobRunner() const { return jobRunner_; }
    bool isJobRunning() const;
    // The running job stops between two blocks of its work, saving nothing.
    void stopJob();
    // The question a close during a job asks.
    static QString stopAndCloseQuestion();
    // Restores, raises and activates the window (a later copy of the program asked for it).
    void bringToFront();
    // Chooses the Verify/Decrypt task and fills its form with documents as the input Browse
    // button would. Documents that arrive while a job runs wait for its end, so that the job
    // never finds its form changed under it.
    void openDocuments(const QStringList& documents);

    // The signed documents among dropped files (local files ending in ".qsig"), in their order.
    static QStringList droppedDocuments(const QMimeData* data);

    // Copy and Paste act on the edit box that has the focus.
    bool copyEnabled() const;
    bool pasteEnabled() const;
    void copy();
    void paste();

    CaptionBar* captionBar() const { return caption_; }
    TaskStrip* taskStrip() const { return tasks_; }
    VerifyDecryptForm* form() const { return form_; }
    PageBackdrop* welcomePage() const { return welcome_; }
    QtJobUi& jobUi() { return jobUi_; }
    JobProgressStrip* progressStrip() const { return progress_; }

signals:
    void jobFinished();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Signed documents dropped anywhere on the window fill the form as Browse would.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void onTaskActivated(int task);
    void onFormCancel();
    void runJob();
    void onJobFinished();
    void setTakesInput(bool takes);
    void leaveForm();
    QLineEdit* focusedEdit() const;

    QtJobUi jobUi_;
    CaptionBar* caption_;
    TaskStrip* tasks_;
    QStackedWidget* pages_;
    PageBackdrop* welcome_;
    VerifyDecryptForm* form_;
    JobProgressStrip* progress_;
    QSizeGrip* sizeGrip_;
    WindowEdges* edges_;
    JobWorker* worker_;
    JobRunner jobRunner_;
    QPointer<QWidget> focusBeforeJob_;
    QStringList waitingDocuments_;
    bool closeAfterJob_ = false;
};

#pragma once
// The line under the page that tells, during long work, which document is being worked on and how
// far: each pass over it (decoding, decrypting, verifying, saving) as its share of the document's
// size. It stands still while a dialog waits for the person. Small documents finish too soon for it
// to be worth showing.
#include "pipeline/job_ui.h"
#include "platform/work_progress.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

class JobProgressStrip : public QWidget {
    Q_OBJECT
public:
    // Documents from this size on show the strip.
    static constexpr std::uint64_t shownFromBytes = 4u << 20;
    // The bar's whole length.
    static constexpr int barSteps = 1000;

    explicit JobProgressStrip(QWidget* parent = nullptr);

    // "Decrypting report.qsig, file 2 of 3: 120.0 MiB of 256.0 MiB".
    static QString describe(const JobProgress& document, const WorkProgress::Snapshot& pass, bool waiting);

    // The job whose passes the strip follows; null when it ended, which hides the strip.
    void follow(const WorkProgress* progress);
    // A document of the job was read and is worked on next.
    void showDocument(const JobProgress& document);
    // A dialog of the job waits for the person (true) or was answered (false).
    void setWaiting(bool waiting);

    QString text() const;

private:
    void refresh();

    QLabel* label_;
    QProgressBar* bar_;
    QTimer timer_;
    const WorkProgress* progress_ = nullptr;
    JobProgress document_;
    bool waiting_ = false;
};

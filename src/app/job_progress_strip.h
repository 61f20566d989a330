#pragma once
// The line under the page that tells, during long work, which document is being worked on and how
// large it is, with a busy bar. Small documents finish too soon for it to be worth showing.
#include "pipeline/job_ui.h"

#include <QWidget>

class QLabel;
class QProgressBar;

class JobProgressStrip : public QWidget {
    Q_OBJECT
public:
    // Documents from this size on show the strip.
    static constexpr std::uint64_t kShownFromBytes = 4u << 20;

    explicit JobProgressStrip(QWidget* parent = nullptr);

    // "File 2 of 3: 256.0 MiB"; a single document gives only its size.
    static QString describe(const JobProgress& progress);

    void showProgress(const JobProgress& progress);
    QString text() const;

private:
    QLabel* label_;
    QProgressBar* bar_;
};

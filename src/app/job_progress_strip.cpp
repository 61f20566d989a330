#include "app/job_progress_strip.h"

#include "app/dialog_units.h"
#include "app/text_bytes.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

#include <algorithm>

namespace {

// Often enough to look smooth, seldom enough to cost the window nothing.
constexpr int refreshMilliseconds = 100;

QString sizeText(std::uint64_t bytes) {
    return QLocale::c().formattedDataSize(static_cast<qint64>(bytes), 1, QLocale::DataSizeIecFormat);
}

QString stageVerb(WorkStage stage) {
    switch (stage) {
    case WorkStage::Decoding:
        return QStringLiteral("Decoding");
    case WorkStage::Decrypting:
        return QStringLiteral("Decrypting");
    case WorkStage::Verifying:
        return QStringLiteral("Verifying");
    case WorkStage::Saving:
        return QStringLiteral("Saving");
    case WorkStage::Idle:
        break;
    }
    return QStringLiteral("Verifying/Decrypting");
}

// The bytes of the document the pass has come through, by its share of its own bytes.
std::uint64_t documentBytesDone(const JobProgress& document, const WorkProgress::Snapshot& pass) {
    if (pass.total == 0) {
        return 0;
    }
    const double share =
        static_cast<double>(std::min(pass.done, pass.total)) / static_cast<double>(pass.total);
    return static_cast<std::uint64_t>(share * static_cast<double>(document.bytes));
}

} // namespace

JobProgressStrip::JobProgressStrip(QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setFont(dialogFont());
    setAutoFillBackground(true);
    bar_->setRange(0, barSteps);
    bar_->setTextVisible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 8, 3);
    layout->addWidget(label_);
    layout->addWidget(bar_, 1);
    timer_.setInterval(refreshMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &JobProgressStrip::refresh);
    hide();
}

QString JobProgressStrip::describe(const JobProgress& document, const WorkProgress::Snapshot& pass,
                                   bool waiting) {
    QString name = QFileInfo(fromBytes(document.input)).fileName();
    if (document.files > 1) {
        name += QStringLiteral(", file %1 of %2").arg(document.file).arg(document.files);
    }
    if (waiting) {
        return QStringLiteral("%1: waiting for your answer").arg(name);
    }
    if (pass.stage == WorkStage::Idle) {
        return QStringLiteral("Verifying/Decrypting %1: %2").arg(name, sizeText(document.bytes));
    }
    return QStringLiteral("%1 %2: %3 of %4")
        .arg(stageVerb(pass.stage), name, sizeText(documentBytesDone(document, pass)),
             sizeText(document.bytes));
}

void JobProgressStrip::follow(const WorkProgress* progress) {
    progress_ = progress;
    waiting_ = false;
    if (progress_ == nullptr) {
        timer_.stop();
        hide();
    }
}

void JobProgressStrip::showDocument(const JobProgress& document) {
    document_ = document;
    if (progress_ == nullptr || document.bytes < shownFromBytes) {
        timer_.stop();
        hide();
        return;
    }
    refresh();
    show();
    timer_.start();
}

void JobProgressStrip::setWaiting(bool waiting) {
    waiting_ = waiting;
    if (isVisible()) {
        refresh();
    }
}

void JobProgressStrip::refresh() {
    const WorkProgress::Snapshot pass =
        progress_ != nullptr ? progress_->snapshot() : WorkProgress::Snapshot{};
    label_->setText(describe(document_, pass, waiting_));
    if (!waiting_ && pass.total > 0) {
        bar_->setValue(static_cast<int>(std::min(pass.done, pass.total) * barSteps / pass.total));
    }
}

QString JobProgressStrip::text() const {
    return isVisible() ? label_->text() : QString();
}

#include "app/job_progress_strip.h"

#include "app/dialog_units.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

JobProgressStrip::JobProgressStrip(QWidget* parent)
    : QWidget(parent), label_(new QLabel(this)), bar_(new QProgressBar(this)) {
    setFont(dialogFont());
    setAutoFillBackground(true);
    // The libraries work through a document in one call: the bar says "busy", the text says what.
    bar_->setRange(0, 0);
    bar_->setTextVisible(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 3, 8, 3);
    layout->addWidget(label_);
    layout->addWidget(bar_, 1);
    hide();
}

QString JobProgressStrip::describe(const JobProgress& progress) {
    const QString size =
        QLocale::c().formattedDataSize(static_cast<qint64>(progress.bytes), 1, QLocale::DataSizeIecFormat);
    const QString document = progress.files > 1
                                 ? QStringLiteral("File %1 of %2: ").arg(progress.file).arg(progress.files)
                                 : QString();
    return QStringLiteral("Verifying/Decrypting %1%2").arg(document, size);
}

void JobProgressStrip::showProgress(const JobProgress& progress) {
    if (progress.bytes < kShownFromBytes) {
        hide();
        return;
    }
    label_->setText(describe(progress));
    show();
}

QString JobProgressStrip::text() const {
    return isVisible() ? label_->text() : QString();
}

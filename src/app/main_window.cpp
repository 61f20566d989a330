#include "app/main_window.h"

#include "app/caption_bar.h"
#include "app/dialog_units.h"
#include "app/help_window.h"
#include "app/job_progress_strip.h"
#include "app/job_worker.h"
#include "app/message_dialog.h"
#include "app/page_backdrop.h"
#include "app/pictures.h"
#include "app/program_palette.h"
#include "app/task_strip.h"
#include "app/verify_decrypt_form.h"
#include "app/window_edges.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QSizeGrip>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {
const QColor paneGap(186, 206, 201);

// The caption, the task strip and the one-pixel gap above the page.
int chromeHeight() {
    return CaptionBar::captionHeight - CaptionBar::border + TaskStrip::stripHeight + 1;
}

// Where the artwork's words end, measured from the top left corner of their pictures, which are
// drawn unscaled from there: the banner's word mark (its right edge) and the welcome page's title.
struct ArtworkWords {
    int bannerMarkRight;
    QPoint welcomeTitleEnd;
};
constexpr ArtworkWords largeArtworkWords{996, {750, 313}};
constexpr ArtworkWords smallArtworkWords{772, {579, 235}};
constexpr int wordsMargin = 8;

} // namespace

QUrl MainWindow::vendorUrl() {
    return QUrl(QStringLiteral("https://www.brindleway.example/products/quillbox"));
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), jobUi_(this), caption_(new CaptionBar(this)),
      tasks_(new TaskStrip(this)), pages_(new QStackedWidget(this)),
      welcome_(new PageBackdrop(PageBackdrop::welcomeSmall, PageBackdrop::welcomeLarge)),
      form_(new VerifyDecryptForm), progress_(new JobProgressStrip(this)), sizeGrip_(new QSizeGrip(this)),
      edges_(new WindowEdges(this)), worker_(new JobWorker(*form_, jobUi_, this)) {
    setWindowTitle(QStringLiteral("Quillbox Reader"));
    setWindowIcon(pictures::applicationIcon());
    setPalette(programPalette());
    // The one-pixel gap between the task strip and the page.
    auto* gap = new QWidget(this);
    gap->setFixedHeight(1);
    QPalette gapColour = gap->palette();
    gapColour.setColor(QPalette::Window, paneGap);
    gap->setPalette(gapColour);
    gap->setAutoFillBackground(true);

    pages_->addWidget(welcome_);
    pages_->addWidget(form_);
    pages_->setCurrentIndex(WelcomePage);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption_);
    layout->addWidget(tasks_);
    layout->addWidget(gap);
    layout->addWidget(pages_, 1);
    jobUi_.setProgressStrip(progress_);
    sizeGrip_->resize(sizeGrip_->sizeHint());
    sizeGrip_->setVisible(!isMaximized());

    connect(caption_, &CaptionBar::closeRequested, this, &QWidget::close);
    connect(caption_, &CaptionBar::minimizeRequested, this, &QWidget::showMinimized);
    connect(caption_, &CaptionBar::maximizeRestoreRequested, this,
            [this] { isMaximized() ? showNormal() : showMaximized(); });
    connect(tasks_, &TaskStrip::taskActivated, this, &MainWindow::onTaskActivated);
    connect(form_, &VerifyDecryptForm::verifyDecryptRequested, this, &MainWindow::runJob);
    connect(form_, &VerifyDecryptForm::cancelRequested, this, &MainWindow::onFormCancel);
    connect(worker_, &JobWorker::finished, this, &MainWindow::onJobFinished);
    setAcceptDrops(true);
    // The boxes would take a dropped file as text; the window takes it as a document instead.
    for (QLineEdit* box : form_->findChildren<QLineEdit*>()) {
        box->setAcceptDrops(false);
    }

    auto* copyAction = new QAction(this);
    copyAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copyAction, &QAction::triggered, this, &MainWindow::copy);
    auto* pasteAction = new QAction(this);
    pasteAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    connect(pasteAction, &QAction::triggered, this, &MainWindow::paste);
    addActions({copyAction, pasteAction});
    setMinimumSize(smallestSize());
    setGeometry(firstNormalGeometry(screen()->availableGeometry()));
}

QSize MainWindow::wordsSize() const {
    const ArtworkWords& words = pictures::isSmallScreen(this) ? smallArtworkWords : largeArtworkWords;
    return {std::max(words.bannerMarkRight, words.welcomeTitleEnd.x()) + wordsMargin,
            chromeHeight() + words.welcomeTitleEnd.y() + wordsMargin};
}

QSize MainWindow::normalSize() const {
    const QSize form = DialogUnits(dialogFont()).size(formUnits.width(), formUnits.height());
    return (form + QSize(0, chromeHeight())).expandedTo(wordsSize());
}

QSize MainWindow::smallestSize() const {
    const QSize halfForm = DialogUnits(dialogFont()).size(formUnits.width() / 2, formUnits.height() / 2);
    // Never more than the screen holds, even where its pictures are wider.
    return (halfForm + QSize(0, chromeHeight()))
        .expandedTo(wordsSize())
        .boundedTo(screen()->availableGeometry().size());
}

QRect MainWindow::firstNormalGeometry(const QRect& available) const {
    QRect placed(QPoint(), normalSize().boundedTo(available.size()));
    placed.moveCenter(available.center());
    return placed;
}

int MainWindow::currentPage() const {
    return pages_->currentIndex();
}

void MainWindow::ShowPage(int page) {
    if (page != WelcomePage && page != FormPage) {
        return;
    }
    QWidget* shown = pages_->widget(page);
    if (pages_->currentIndex() == page) {
        // Showing the page again hides and shows it, which starts it afresh.
        shown->hide();
        shown->show();
    } else {
        pages_->setCurrentIndex(page);
    }
}

void MainWindow::ResetTasks() {
    tasks_->ResetTasks();
}

void MainWindow::onTaskActivated(int task) {
    if (isJobRunning()) {
        // Only Help answers during a job, and the job's page stays.
        HelpWindow::showHelp(this);
        return;
    }
    switch (task) {
    case TaskStrip::VerifyDecrypt:
        ShowPage(FormPage);
        break;
    case TaskStrip::GetCertificate:
        QDesktopServices::openUrl(vendorUrl());
        ShowPage(WelcomePage);
        break;
    case TaskStrip::Help:
        ShowPage(WelcomePage);
        HelpWindow::showHelp(this);
        break;
    default:
        return;
    }
    // The form passes the focus on to its input box.
    pages_->currentWidget()->setFocus();
}

void MainWindow::leaveForm() {
    ResetTasks();
    tasks_->setFocus();
    ShowPage(WelcomePage);
    pages_->currentWidget()->setFocus();
}

bool MainWindow::isJobRunning() const {
    return worker_->isRunning();
}

void MainWindow::stopJob() {
    worker_->stop();
}

QString MainWindow::stopAndCloseQuestion() {
    return QStringLiteral("A document is being processed. Stop and close?");
}

void MainWindow::onFormCancel() {
    if (isJobRunning()) {
        stopJob();
    } else {
        leaveForm();
    }
}

void MainWindow::runJob() {
    if (!jobRunner_ || isJobRunning()) {
        return;
    }
    setTakesInput(false);
    worker_->start(jobRunner_);
    progress_->follow(worker_->progress());
}

void MainWindow::onJobFinished() {
    progress_->follow(nullptr);
    setTakesInput(true);
    if (std::exchange(closeAfterJob_, false)) {
        close();
    } else {
        openDocuments(std::exchange(waitingDocuments_, {}));
    }
    emit jobFinished();
}

void MainWindow::setTakesInput(bool takes) {
    if (!takes) {
        focusBeforeJob_ = QApplication::focusWidget();
        // Off the controls that wait, so that neither a held key nor the focus chain reaches them.
        setFocus();
    }
    tasks_->setHelpOnly(!takes);
    form_->setBusy(!takes);
    // The form gives the focus to a box the job asked for; otherwise it goes back where it was.
    if (takes && (QApplication::focusWidget() == nullptr || QApplication::focusWidget() == this) &&
        focusBeforeJob_ != nullptr) {
        focusBeforeJob_->setFocus();
    }
}

void MainWindow::openDocuments(const QStringList& documents) {
    if (documents.isEmpty()) {
        return;
    }
    if (isJobRunning()) {
        waitingDocuments_ = documents;
        return;
    }
    tasks_->activate(TaskStrip::VerifyDecrypt);
    form_->chooseInputs(documents);
}

void MainWindow::bringToFront() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

QLineEdit* MainWindow::focusedEdit() const {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

bool MainWindow::copyEnabled() const {
    const QLineEdit* edit = focusedEdit();
    return edit != nullptr && edit->hasSelectedText();
}

bool MainWindow::pasteEnabled() const {
    const QLineEdit* edit = focusedEdit();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    return edit != nullptr && !edit->isReadOnly() && clip != nullptr && clip->hasText();
}

void MainWindow::copy() {
    if (copyEnabled()) {
        focusedEdit()->copy();
    }
}

void MainWindow::paste() {
    if (pasteEnabled()) {
        focusedEdit()->paste();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    sizeGrip_->move(width() - sizeGrip_->width(), height() - sizeGrip_->height());
    // The progress strip lies over the foot of the page, where the form has no controls, so the
    // page keeps its size and needs no scroll bars while a job runs.
    const int stripHeight = progress_->sizeHint().height();
    progress_->setGeometry(0, height() - stripHeight, width() - sizeGrip_->width(), stripHeight);
    progress_->raise();
    sizeGrip_->raise();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Esc stops a running job, wherever the focus is in the window (the controls leave Esc alone).
    if (event->key() == Qt::Key_Escape && isJobRunning()) {
        stopJob();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        sizeGrip_->setVisible(!isMaximized());
    }
    QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The job uses the form and the dialogs until it ends; the window stays until then, and goes
    // when the stopped job has ended.
    if (isJobRunning()) {
        event->ignore();
        if (closeAfterJob_ || !MessageDialog::ShowMessage(this, stopAndCloseQuestion(), IconKind::Warning,
                                                          MessageButtons::YesNo)) {
            return;
        }
        if (isJobRunning()) {
            closeAfterJob_ = true;
            stopJob();
        } else {
            // The job ended while the question waited.
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        }
        return;
    }
    // The program ends with its main window: the help window goes with it.
    if (HelpWindow* help = HelpWindow::findOpen()) {
        help->close();
    }
    QWidget::closeEvent(event);
}

QStringList MainWindow::droppedDocuments(const QMimeData* data) {
    QStringList documents;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".qsig"))) {
            documents.append(url.toLocalFile());
        }
    }
    return documents;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!isJobRunning() && !droppedDocuments(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList documents = droppedDocuments(event->mimeData());
    if (documents.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    openDocuments(documents);
}

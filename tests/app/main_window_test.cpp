// The main window: the pages, the task strip, the vendor page, the help window, the caption and
// the pictures chosen by screen size.
#include "modal_answerer.h"

#include "app/caption_bar.h"
#include "app/dialog_units.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/on_screen.h"
#include "app/page_backdrop.h"
#include "app/pictures.h"
#include "app/task_strip.h"
#include "app/verify_decrypt_form.h"
#include "app/window_edges.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QSizeGrip>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <memory>
#include <stdexcept>

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QCursor::setPos(790, 790);
        window_ = std::make_unique<MainWindow>();
        window_->resize(1024, 700);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void TearDown() override {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<HelpWindow*>(widget) != nullptr) {
                widget->close();
            }
        }
    }

    void clickTask(int task) {
        TaskStrip* strip = window_->taskStrip();
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->taskRect(task).center());
    }
    QLineEdit* formEdit(int id) const { return control<QLineEdit>(window_->form(), id); }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, OpensOnTheWelcomePageWithNoChosenTask) {
    EXPECT_EQ(window_->currentPage(), MainWindow::WelcomePage);
    EXPECT_TRUE(window_->welcomePage()->isVisible());
    EXPECT_FALSE(window_->form()->isVisible());
    EXPECT_EQ(window_->taskStrip()->chosenTask(), -1);
    EXPECT_EQ(window_->taskStrip()->pictureOf(0), 139);
    EXPECT_EQ(window_->taskStrip()->pictureOf(1), 145);
    EXPECT_EQ(window_->taskStrip()->pictureOf(2), 137);
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quillbox Reader"));
    EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(MainWindowTest, TheVerifyDecryptTaskShowsAnEmptyFormAndTurnsGold) {
    clickTask(TaskStrip::VerifyDecrypt);
    EXPECT_EQ(window_->currentPage(), MainWindow::FormPage);
    EXPECT_TRUE(window_->form()->isVisible());
    EXPECT_EQ(window_->taskStrip()->pictureOf(0), 176);
    for (int id : {formid::input, formid::output, formid::crlPath}) {
        EXPECT_EQ(formEdit(id)->text(), QString()) << id;
    }
}

TEST_F(MainWindowTest, ChoosingTheTaskAgainEmptiesTheVisibleForm) {
    clickTask(TaskStrip::VerifyDecrypt);
    QTest::keyClicks(formEdit(formid::input), "/typed.qsig");
    clickTask(TaskStrip::VerifyDecrypt);
    EXPECT_EQ(formEdit(formid::input)->text(), QString());
    EXPECT_EQ(window_->currentPage(), MainWindow::FormPage);
}

TEST_F(MainWindowTest, CancelReturnsToTheWelcomePageWithNormalPictures) {
    clickTask(TaskStrip::VerifyDecrypt);
    QTest::mouseClick(control<QWidget>(window_->form(), formid::cancel), Qt::LeftButton);
    EXPECT_EQ(window_->currentPage(), MainWindow::WelcomePage);
    EXPECT_EQ(window_->taskStrip()->chosenTask(), -1);
}

TEST_F(MainWindowTest, TheCertificateTaskOpensTheVendorPageAndStaysGoldUntilTheSelectionMoves) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    clickTask(TaskStrip::VerifyDecrypt);
    clickTask(TaskStrip::GetCertificate);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(recorder.opened.size(), 1u);
    EXPECT_EQ(recorder.opened[0].path(), QStringLiteral("/products/quillbox"));
    EXPECT_EQ(window_->currentPage(), MainWindow::WelcomePage);
    EXPECT_EQ(window_->taskStrip()->pictureOf(1), 177);
    EXPECT_EQ(window_->taskStrip()->pictureOf(0), 139);
    QTest::keyClick(window_->taskStrip(), Qt::Key_Right); // the selection moves on
    EXPECT_EQ(window_->taskStrip()->pictureOf(1), 145);
}

TEST_F(MainWindowTest, TheHelpTaskOpensTheHelpWindowOnceThenBringsItForward) {
    const QRect available = window_->screen()->availableGeometry();
    window_->move(available.topLeft()); // up high: the help window's caption must still show
    clickTask(TaskStrip::Help);
    HelpWindow* help = HelpWindow::findOpen();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(available.contains(help->geometry().marginsAdded(guessedFrame)));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Quillbox Reader Help"));
    EXPECT_FALSE(help->isMaximized());
    EXPECT_FALSE(help->browser()->toPlainText().isEmpty()) << "the manual is shown";
    EXPECT_FALSE(help->browser()->toPlainText().contains(QStringLiteral("@QUILLBOX_WORD_")));
    // Every picture shows, whether this Qt reads SVG or not.
    QTextDocument* manual = help->browser()->document();
    int pictures = 0;
    for (QTextBlock block = manual->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextImageFormat image = fragment.fragment().charFormat().toImageFormat();
            if (image.isValid()) {
                ++pictures;
                EXPECT_FALSE(manual->resource(QTextDocument::ImageResource, QUrl(image.name())).isNull())
                    << image.name().toStdString();
            }
        }
    }
    EXPECT_GT(pictures, 5);
    EXPECT_EQ(window_->currentPage(), MainWindow::WelcomePage);
    EXPECT_EQ(window_->taskStrip()->pictureOf(2), 178);
    EXPECT_TRUE(help->frameGeometry().contains(window_->frameGeometry().center())) << "opens over the window";
    EXPECT_EQ(help->windowIcon().pixmap(32).toImage(), window_->windowIcon().pixmap(32).toImage());

    clickTask(TaskStrip::Help);
    EXPECT_EQ(HelpWindow::findOpen(), help);
    EXPECT_TRUE(help->isMaximized());
    int helpWindows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        helpWindows += qobject_cast<HelpWindow*>(widget) != nullptr && widget->isVisible() ? 1 : 0;
    }
    EXPECT_EQ(helpWindows, 1);
}

struct PlacementCase {
    const char* name;
    QRect wanted;
    bool resizable;
    QRect placed;
};

TEST(WindowPlacement, PutsTheWholeFrameInsideTheFreeArea) {
    const QRect available(0, 30, 1024, 570); // 1024 x 600 under a 30-pixel panel
    const QMargins frame(8, 32, 8, 8);
    for (const PlacementCase& c :
         {PlacementCase{"caption above the top", {100, 35, 400, 300}, false, {100, 62, 400, 300}},
          PlacementCase{"past the bottom right", {900, 500, 400, 300}, false, {616, 292, 400, 300}},
          PlacementCase{"taller than the screen, resizable", {50, 40, 860, 680}, true, {50, 62, 860, 530}},
          PlacementCase{"taller than the screen, fixed: caption first",
                        {50, 40, 400, 700},
                        false,
                        {50, 62, 400, 700}}}) {
        EXPECT_EQ(placedInside(c.wanted, frame, available, c.resizable), c.placed) << c.name;
    }
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheProgramWithTheHelpWindowOpen) {
    clickTask(TaskStrip::Help);
    ASSERT_NE(HelpWindow::findOpen(), nullptr);
    window_->close();
    EXPECT_EQ(HelpWindow::findOpen(), nullptr);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(widget->isVisible())
            << "nothing keeps the program running: " << widget->metaObject()->className();
    }
}

TEST_F(MainWindowTest, TheFormOpensWithTheFocusInItsInputBoxAndNoStopOnContainers) {
    clickTask(TaskStrip::VerifyDecrypt);
    EXPECT_EQ(QApplication::focusWidget(), formEdit(formid::input));
    EXPECT_EQ(window_->form()->focusPolicy(), Qt::NoFocus);
    // Tab goes from the input box straight to its Browse button.
    QTest::keyClick(formEdit(formid::input), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control<QWidget>(window_->form(), formid::browseInput));
}

TEST_F(MainWindowTest, TheTaskStripKeepsItsHeightAcrossResizes) {
    for (int height : {300, 900, 480}) {
        window_->resize(900, height);
        QApplication::processEvents();
        EXPECT_EQ(window_->taskStrip()->height(), TaskStrip::stripHeight);
    }
}

TEST_F(MainWindowTest, ShowPageIgnoresUnknownPages) {
    window_->ShowPage(MainWindow::FormPage);
    window_->ShowPage(2);
    window_->ShowPage(-1);
    EXPECT_EQ(window_->currentPage(), MainWindow::FormPage);
}

TEST_F(MainWindowTest, TheStripShowsATooltipPerTask) {
    EXPECT_EQ(TaskStrip::toolTipOf(0), QStringLiteral("Verify/Decrypt"));
    EXPECT_EQ(TaskStrip::toolTipOf(1), QStringLiteral("Get a Digital Certificate"));
    EXPECT_EQ(TaskStrip::toolTipOf(2), QStringLiteral("Quillbox Reader Help"));
    TaskStrip* strip = window_->taskStrip();
    EXPECT_EQ(strip->taskAt(strip->taskRect(1).center()), 1);
    EXPECT_EQ(strip->taskAt({5, 5}), -1);
}

TEST_F(MainWindowTest, CopyAndPasteFollowTheFocusedBox) {
    clickTask(TaskStrip::VerifyDecrypt);
    window_->activateWindow();
    QLineEdit* input = formEdit(formid::input);
    input->setFocus();
    QTest::keyClicks(input, "/some/file.qsig");
    EXPECT_FALSE(window_->copyEnabled()) << "nothing selected";
    input->selectAll();
    EXPECT_TRUE(window_->copyEnabled());
    window_->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("/some/file.qsig"));

    QLineEdit* output = formEdit(formid::output);
    output->setFocus();
    EXPECT_TRUE(window_->pasteEnabled());
    window_->paste();
    EXPECT_EQ(output->text(), QStringLiteral("/some/file.qsig"));
    output->setReadOnly(true);
    EXPECT_FALSE(window_->pasteEnabled());
    window_->taskStrip()->setFocus();
    EXPECT_FALSE(window_->copyEnabled());
    EXPECT_FALSE(window_->pasteEnabled());
}

TEST_F(MainWindowTest, TheCaptionShowsTheWordsInWhiteOnTheirOwnGreen) {
    CaptionBar* caption = window_->captionBar();
    EXPECT_EQ(caption->height(), CaptionBar::captionHeight - CaptionBar::border);
    const QImage picture = caption->captionPicture().toImage();
    const QRect text = caption->textRect();
    int green = 0;
    int white = 0;
    for (int x = text.left(); x < text.left() + 200; ++x) {
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb pixel = picture.pixel(x, y);
            green += pixel == qRgb(125, 166, 152) ? 1 : 0;
            white += pixel == qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_GT(green, 100);
    EXPECT_GT(white, 50);
    EXPECT_EQ(CaptionBar::companyWord(), QStringLiteral("Brindleway"));
    EXPECT_EQ(CaptionBar::titleText(), QStringLiteral("- Quillbox Reader "));
}

TEST_F(MainWindowTest, TheCaptionButtonsFollowTheWindowState) {
    CaptionBar* caption = window_->captionBar();
    EXPECT_EQ(caption->buttonPicture(CaptionBar::Close), 143);
    EXPECT_EQ(caption->buttonPicture(CaptionBar::Minimize), 141);
    EXPECT_EQ(caption->buttonPicture(CaptionBar::MaximizeRestore), 144);
    QTest::mouseClick(caption, Qt::LeftButton, {}, caption->buttonRect(CaptionBar::MaximizeRestore).center());
    EXPECT_TRUE(window_->isMaximized());
    EXPECT_EQ(caption->buttonPicture(CaptionBar::MaximizeRestore), 142);
    EXPECT_EQ(caption->buttonRect(CaptionBar::Close).right(), caption->width() - 3);
    QTest::mouseClick(caption, Qt::LeftButton, {}, caption->buttonRect(CaptionBar::Close).center());
    EXPECT_FALSE(window_->isVisible());
}

TEST_F(MainWindowTest, TheCaptionFollowsActivationWithTheSameWords) {
    CaptionBar* caption = window_->captionBar();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(caption->isActiveLook());
    const QImage active = caption->captionPicture().toImage();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(caption->isActiveLook());
    const QImage inactive = caption->captionPicture().toImage();
    EXPECT_NE(active, inactive) << "the caption buttons fade";
    EXPECT_EQ(active.copy(caption->textRect()), inactive.copy(caption->textRect()));
}

TEST_F(MainWindowTest, BringToFrontRestoresAMinimizedWindow) {
    window_->showMinimized();
    window_->bringToFront();
    EXPECT_FALSE(window_->isMinimized());
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindowTest, OpenedDocumentsFillTheFormAsBrowseWould) {
    window_->openDocuments({QStringLiteral("/in/a.qsig"), QStringLiteral("/in/b.qsig")});
    EXPECT_EQ(window_->currentPage(), MainWindow::FormPage);
    EXPECT_EQ(window_->taskStrip()->chosenTask(), TaskStrip::VerifyDecrypt);
    EXPECT_EQ(formEdit(formid::input)->text(), QStringLiteral("/in/a.qsig;/in/b.qsig;"));
    EXPECT_EQ(formEdit(formid::output)->text(), QStringLiteral("/in/a;/in/b;"));
    EXPECT_FALSE(formEdit(formid::output)->isEnabled());

    // Later documents replace the earlier ones, even what was typed meanwhile.
    QTest::keyClicks(formEdit(formid::crlPath), "/typed.crl");
    window_->openDocuments({QStringLiteral("/in/c.qsig")});
    EXPECT_EQ(formEdit(formid::input)->text(), QStringLiteral("/in/c.qsig"));
    EXPECT_EQ(formEdit(formid::output)->text(), QStringLiteral("/in/c"));
    EXPECT_EQ(formEdit(formid::crlPath)->text(), QString());
    EXPECT_TRUE(formEdit(formid::output)->isEnabled());
    EXPECT_FALSE(window_->form()->values().multipleSelection);

    window_->openDocuments({});
    EXPECT_EQ(formEdit(formid::input)->text(), QStringLiteral("/in/c.qsig")) << "no documents change nothing";
}

TEST_F(MainWindowTest, DroppedDocumentsFillTheFormAsBrowseWould) {
    struct Drop {
        QList<QUrl> urls;
        QString input; // empty: the drop is refused
        QString output;
    };
    const QUrl a = QUrl::fromLocalFile(QStringLiteral("/in/a.qsig"));
    const QUrl b = QUrl::fromLocalFile(QStringLiteral("/in/b.qsig"));
    for (const Drop& d : {Drop{{a}, QStringLiteral("/in/a.qsig"), QStringLiteral("/in/a")},
                          Drop{{a, QUrl::fromLocalFile(QStringLiteral("/in/notes.txt")), b},
                               QStringLiteral("/in/a.qsig;/in/b.qsig;"),
                               QStringLiteral("/in/a;/in/b;")},
                          Drop{{QUrl::fromLocalFile(QStringLiteral("/in/notes.txt"))}, {}, {}},
                          Drop{{QUrl(QStringLiteral("https://example.com/c.qsig"))}, {}, {}}}) {
        window_->ShowPage(MainWindow::WelcomePage);
        QMimeData data;
        data.setUrls(d.urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &enter);
        EXPECT_EQ(enter.isAccepted(), !d.input.isEmpty()) << d.input.toStdString();
        EXPECT_FALSE(formEdit(formid::input)->acceptDrops()) << "the boxes leave documents to the window";
        if (enter.isAccepted()) {
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(window_.get(), &drop);
            EXPECT_EQ(window_->currentPage(), MainWindow::FormPage);
            EXPECT_EQ(formEdit(formid::input)->text(), d.input);
            EXPECT_EQ(formEdit(formid::output)->text(), d.output);
        }
    }
}

TEST(MainWindowSize, RestoresToTheWholeFormCentredAndShrinksNoFurtherThanHalfOfIt) {
    MainWindow window;
    const QRect available = window.screen()->availableGeometry();
    const DialogUnits units(dialogFont());
    const int chrome = CaptionBar::captionHeight - CaptionBar::border + TaskStrip::stripHeight + 1;
    // The stand-in for "MS Sans Serif" is as wide as it (bootstrap installs one), so the whole form
    // fits an 800 x 600 screen.
    EXPECT_EQ(units.baseX(), 6) << dialogFont().family().toStdString();
    EXPECT_EQ(window.normalSize(), (units.size(481, 271) + QSize(0, chrome)).expandedTo(window.wordsSize()));
    EXPECT_LE(units.x(481), 800);
    EXPECT_EQ(
        window.minimumSize(),
        (units.size(240, 135) + QSize(0, chrome)).expandedTo(window.wordsSize()).boundedTo(available.size()));
    window.showMaximized();
    window.captionBar()->maximizeRestoreRequested();
    EXPECT_FALSE(window.isMaximized());
    EXPECT_EQ(window.geometry(), window.firstNormalGeometry(available));
    // A screen smaller than the form: the window fits into it.
    EXPECT_EQ(window.firstNormalGeometry({0, 0, 600, 400}), QRect(0, 0, 600, 400));
    const QRect wide = window.firstNormalGeometry({100, 0, 2000, 1000});
    EXPECT_EQ(wide.size(), window.normalSize());
    EXPECT_EQ(wide.center(), QRect(100, 0, 2000, 1000).center());

    // A resized window comes back to its own size after maximizing.
    window.resize(window.minimumSize() + QSize(10, 10));
    const QRect resized = window.geometry();
    window.captionBar()->maximizeRestoreRequested();
    window.captionBar()->maximizeRestoreRequested();
    EXPECT_EQ(window.geometry(), resized);
    window.resize(10, 10);
    EXPECT_EQ(window.size(), window.minimumSize());
}

TEST(MainWindowSize, EveryEdgeAndCornerResizesTheFramelessWindow) {
    MainWindow window;
    window.setMinimumSize(400, 300); // the handles, not the smallest size, are under test here
    window.setGeometry(100, 100, 600, 450);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* grip = window.findChild<QSizeGrip*>();
    EXPECT_EQ(grip->size(), grip->sizeHint());
    EXPECT_EQ(grip->geometry().bottomRight(), window.rect().bottomRight());
    struct Drag {
        Qt::Edges edges;
        QRect expected;
    };
    for (const Drag& d : {Drag{Qt::LeftEdge, {80, 100, 620, 450}}, Drag{Qt::RightEdge, {100, 100, 620, 450}},
                          Drag{Qt::TopEdge, {100, 80, 600, 470}}, Drag{Qt::BottomEdge, {100, 100, 600, 470}},
                          Drag{Qt::TopEdge | Qt::LeftEdge, {80, 80, 620, 470}},
                          Drag{Qt::BottomEdge | Qt::LeftEdge, {80, 100, 620, 470}}}) {
        window.setGeometry(100, 100, 600, 450);
        EdgeHandle* handle = nullptr;
        for (EdgeHandle* h : window.findChildren<EdgeHandle*>()) {
            handle = h->edges() == d.edges ? h : handle;
        }
        ASSERT_NE(handle, nullptr);
        // Outward by 20 pixels on each edge the handle holds.
        const QPoint out((d.edges & Qt::LeftEdge)    ? -20
                         : (d.edges & Qt::RightEdge) ? 20
                                                     : 0,
                         (d.edges & Qt::TopEdge)      ? -20
                         : (d.edges & Qt::BottomEdge) ? 20
                                                      : 0);
        const QPoint start = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + out), handle->mapToGlobal(QPointF(start + out)),
                         Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(handle, &move);
        QTest::mouseRelease(handle, Qt::LeftButton, {}, start + out);
        EXPECT_EQ(window.geometry(), d.expected) << int(d.edges);
    }
}

TEST_F(MainWindowTest, DocumentsArrivingDuringAJobWaitForItsEnd) {
    QString inputSeenByTheJob;
    window_->setJobRunner([&](JobForm& form, JobUi&) {
        // The job runs on its own thread; the documents arrive on the GUI thread.
        QMetaObject::invokeMethod(
            window_.get(), [&] { window_->openDocuments({QStringLiteral("/in/late.qsig")}); },
            Qt::BlockingQueuedConnection);
        inputSeenByTheJob = QString::fromStdString(form.readValues().input);
    });
    window_->openDocuments({QStringLiteral("/in/first.qsig")});
    QTest::mouseClick(control<QWidget>(window_->form(), formid::verifyDecrypt), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->isJobRunning(); }, 60000));
    EXPECT_EQ(inputSeenByTheJob, QStringLiteral("/in/first.qsig"));
    EXPECT_EQ(formEdit(formid::input)->text(), QStringLiteral("/in/late.qsig"));
    EXPECT_EQ(formEdit(formid::output)->text(), QStringLiteral("/in/late"));
}

TEST_F(MainWindowTest, AnythingThrownFromAJobEndsItWithAMessage) {
    window_->setJobRunner([](JobForm&, JobUi&) { throw std::runtime_error("broken"); });
    ModalAnswerer answerer;
    answerer.otherwise(pressKey(Qt::Key_Return));
    QTest::mouseClick(control<QWidget>(window_->form(), formid::verifyDecrypt), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->isJobRunning(); }, 60000));
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].text, "The Verify/Decrypt operation stopped on an unexpected error: broken");
}

// Run in a child process whose offscreen screen has the size under test.
TEST(PicturesBySizeChild, UsesThePicturesOfTheScreenSize) {
    const QByteArray expected = qgetenv("QUILLBOX_EXPECT_SMALL");
    if (expected.isEmpty()) {
        GTEST_SKIP() << "run by PicturesBySize";
    }
    const bool small = expected == "1";
    MainWindow window;
    window.show();
    EXPECT_EQ(pictures::isSmallScreen(&window), small);
    EXPECT_EQ(window.taskStrip()->bannerId(), small ? 132 : 168);
    EXPECT_EQ(window.welcomePage()->pictureId(), small ? 149 : 167);
    EXPECT_EQ(window.captionBar()->backgroundId(), small ? 140 : 169);
    auto* formCanvas = qobject_cast<PageBackdrop*>(window.form()->widget());
    ASSERT_NE(formCanvas, nullptr);
    EXPECT_EQ(formCanvas->pictureId(), small ? 151 : 170);
    // The smallest window shows the banner's word mark and the welcome title whole, where they fit.
    const int chrome = CaptionBar::captionHeight - CaptionBar::border + TaskStrip::stripHeight + 1;
    const QSize available = window.screen()->availableGeometry().size();
    EXPECT_GE(window.minimumWidth(), std::min(small ? 772 : 996, available.width()));
    EXPECT_GE(window.minimumHeight(), std::min(chrome + (small ? 235 : 313), available.height()));
}

TEST(PicturesBySize, SmallPicturesOnlyOnAScreenOfExactly800By600) {
    const TempDir dir;
    struct Case {
        int width;
        int height;
        bool small;
    };
    for (const Case c :
         {Case{800, 600, true}, Case{1024, 768, false}, Case{800, 601, false}, Case{640, 480, false}}) {
        dir.write("screen.json", "{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":" +
                                     std::to_string(c.width) + ",\"height\":" + std::to_string(c.height) +
                                     ",\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}");
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A relative name: Qt splits the platform's arguments at colons, and a Windows path has one.
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                           QStringLiteral("offscreen:configfile=screen.json"));
        environment.insert(QStringLiteral("QUILLBOX_EXPECT_SMALL"),
                           c.small ? QStringLiteral("1") : QStringLiteral("0"));
        child.setProcessEnvironment(environment);
        child.setWorkingDirectory(QString::fromStdString(dir.path()));
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=PicturesBySizeChild.*")});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0)
            << c.width << "x" << c.height << "\n"
            << child.readAllStandardOutput().toStdString() << child.readAllStandardError().toStdString();
    }
}

} // namespace

#include "main_window_test.moc"

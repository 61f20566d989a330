// A whole job through the real program: start-up, the form, the Browse dialog, the Verify/Decrypt
// button, and the prompts and verdicts answered as a person would.
#include "modal_answerer.h"

#include "app/help_window.h"
#include "app/job_progress_strip.h"
#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/pass_phrase_dialog.h"
#include "app/quillbox_reader_app.h"
#include "app/task_strip.h"
#include "app/verify_decrypt_form.h"

#include "support/document_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <QUuid>

namespace {

class JobThroughWindow : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("QUILLBOX_HOME", QByteArray::fromStdString(home_.path()));
        qputenv("QUILLBOX_STORE", QByteArray::fromStdString(home_.file("store")));
        reader_ = std::make_unique<QuillboxReaderApp>(
            QStringLiteral("QUILLBOXREADER-test-%1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
        ASSERT_TRUE(reader_->InitInstance());
    }
    void TearDown() override {
        reader_.reset();
        qunsetenv("QUILLBOX_HOME");
        qunsetenv("QUILLBOX_STORE");
    }

    // Chooses the Verify/Decrypt task, browses to input and presses Verify/Decrypt.
    void run(const std::string& input, bool checkRevocation) {
        MainWindow* window = reader_->mainWindow();
        TaskStrip* strip = window->taskStrip();
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->taskRect(TaskStrip::VerifyDecrypt).center());
        VerifyDecryptForm* form = window->form();
        form->setFileChooser([input](const FileRequest&) {
            return QStringList{QDir::toNativeSeparators(QString::fromStdString(input))};
        });
        QTest::mouseClick(control<QWidget>(form, formid::browseInput), Qt::LeftButton);
        if (!checkRevocation) {
            QTest::mouseClick(control<QRadioButton>(form, formid::no), Qt::LeftButton);
        }
        QTest::mouseClick(control<QWidget>(form, formid::verifyDecrypt), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([window] { return !window->isJobRunning(); }, 60000));
    }

    TempDir home_;
    TempDir documents_;
    std::unique_ptr<QuillboxReaderApp> reader_;
};

TEST_F(JobThroughWindow, SavesTheContentOfASignedDocumentInsideAPassPhraseLayer) {
    const std::string content = "Quarterly figures\r\nline two\r\n";
    const testdoc::Identity signer = testdoc::makeIdentity({});
    const std::string document =
        testdoc::symmetricLayer(testdoc::signedLayer(content, signer), "Correct Horse");
    const std::string input = documents_.write("report.txt.qsig", document);

    ModalAnswerer answerer;
    answerer.expect([](QDialog* prompt) {
        clickControl(passphraseid::ok)(prompt); // an empty pass phrase is refused first
        typeAndClick(QStringLiteral("Correct Horse"), passphraseid::ok)(prompt);
    });
    answerer.otherwise(pressKey(Qt::Key_Return)); // OK on everything else
    run(input, false);

    EXPECT_EQ(documents_.read("report.txt"), content);
    std::vector<QString> kinds;
    for (const SeenDialog& seen : answerer.seen()) {
        kinds.push_back(seen.kind);
        EXPECT_TRUE(seen.expected);
    }
    ASSERT_GE(kinds.size(), 4u);
    EXPECT_EQ(kinds[0], QStringLiteral("PassPhraseDialog"));
    EXPECT_EQ(answerer.seen()[1].text, QStringLiteral("Cannot leave password blank!"));
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), QStringLiteral("SignatureResultDialog")), kinds.end());
    EXPECT_EQ(kinds.back(), QStringLiteral("MessageDialog"));
    EXPECT_EQ(answerer.seen().back().icon, MessageDialog::iconFor(IconKind::Success))
        << answerer.seen().back().text.toStdString();
}

TEST_F(JobThroughWindow, ACancelledPromptSavesNothing) {
    const std::string input = documents_.write("secret.qsig", testdoc::symmetricLayer("plain", "pass"));
    ModalAnswerer answerer;
    answerer.expect(clickControl(passphraseid::cancel));
    answerer.otherwise(pressKey(Qt::Key_Return));
    run(input, false);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(documents_.file("secret"))));
}

// True once the strip tells of a pass over the document's bytes.
bool passUnderWay(const MainWindow* window) {
    static const QRegularExpression pass(QStringLiteral("^(Decoding|Verifying|Saving) .* of .*B$"));
    return pass.match(window->progressStrip()->text()).hasMatch();
}

struct StopCase {
    const char* name;
    std::function<void(MainWindow*)> stop;
    bool asksFirst; // closing the window asks before it stops the job
};

class StoppingAJob : public JobThroughWindow, public ::testing::WithParamInterface<StopCase> {};

// The job is held on its thread before it starts until the stop has been asked for, so the stop
// always meets a running job, however fast the machine.
TEST_P(StoppingAJob, SavesNothingLeavesTheOldOutputAndSaysSo) {
    const StopCase& c = GetParam();
    const std::string input =
        documents_.write("large.txt.qsig", testdoc::signedLayer(std::string(std::size_t{1} << 20, 'q'),
                                                                testdoc::makeIdentity({})));
    documents_.write("large.txt", "old content");
    MainWindow* window = reader_->mainWindow();
    bool stopped = false;
    QSemaphore stopAsked;
    window->setJobRunner(
        [job = window->jobRunner(), window, &c, &stopped, &stopAsked](JobForm& form, JobUi& ui) {
            QMetaObject::invokeMethod(
                window,
                [window, &c, &stopped, &stopAsked] {
                    stopped = true;
                    c.stop(window);
                    stopAsked.release();
                },
                Qt::QueuedConnection);
            stopAsked.acquire();
            job(form, ui);
        });
    ModalAnswerer answerer;
    answerer.otherwise(pressKey(Qt::Key_Return)); // Yes to the question, OK to the message
    run(input, false);

    ASSERT_TRUE(stopped);
    EXPECT_EQ(documents_.read("large.txt"), "old content");
    EXPECT_EQ(QDir(QString::fromStdString(documents_.path())).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("large.txt"), QStringLiteral("large.txt.qsig")}))
        << "no staged file is left";
    EXPECT_NE(home_.read("Reader-Log.txt").find("ERROR\tProcessing cancelled\t" + input), std::string::npos);
    ASSERT_EQ(answerer.seen().size(), c.asksFirst ? 2u : 1u);
    if (c.asksFirst) {
        EXPECT_EQ(answerer.seen()[0].text, MainWindow::stopAndCloseQuestion());
    }
    EXPECT_EQ(answerer.seen().back().text, QStringLiteral("Processing cancelled"));
    EXPECT_EQ(answerer.seen().back().icon, MessageDialog::iconFor(IconKind::Information));
    EXPECT_EQ(window->isVisible(), !c.asksFirst) << "Yes closes the window once the job has stopped";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, StoppingAJob,
    ::testing::Values(StopCase{"Escape", [](MainWindow* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
                      StopCase{"FormCancel",
                               [](MainWindow* w) {
                                   QTest::mouseClick(control<QWidget>(w->form(), formid::cancel),
                                                     Qt::LeftButton);
                               },
                               false},
                      StopCase{"ClosingTheWindow", [](MainWindow* w) { w->close(); }, true}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST_F(JobThroughWindow, TheWindowKeepsHandlingEventsWhileALargeDocumentIsWorkedOn) {
    constexpr std::size_t size = std::size_t{QUILLBOX_LARGE_DOCUMENT_MIB} << 20;
    const std::string input = documents_.write(
        "large.txt.qsig", testdoc::signedLayer(std::string(size, 'q'), testdoc::makeIdentity({})));
    MainWindow* window = reader_->mainWindow();
    std::vector<QString> order;
    QString progress;
    QString whileAsking;
    bool helpDuringJob = false;
    qint64 worstGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (window->isJobRunning()) {
            worstGap = std::max(worstGap, sinceTick.restart());
            progress = passUnderWay(window) ? window->progressStrip()->text() : progress;
            if (!helpDuringJob) {
                window->taskStrip()->activate(TaskStrip::Help);
                helpDuringJob =
                    HelpWindow::findOpen() != nullptr && window->currentPage() == MainWindow::FormPage;
                sinceTick.restart(); // the help window's own start is not the job's doing
            }
        }
    });
    QObject::connect(window, &MainWindow::jobFinished, [&] { order.push_back(QStringLiteral("job end")); });
    ModalAnswerer answerer;
    answerer.otherwise([&](QDialog* dialog) {
        order.push_back(QString::fromLatin1(dialog->metaObject()->className()));
        whileAsking = whileAsking.isEmpty() ? window->progressStrip()->text() : whileAsking;
        pressKey(Qt::Key_Return)(dialog);
    });
    QTimer::singleShot(0, [&] { order.push_back(QStringLiteral("posted event")); });
    sinceTick.start();
    ticker.start(10);
    run(input, false);

    EXPECT_EQ(order,
              (std::vector<QString>{QStringLiteral("posted event"), QStringLiteral("SignatureResultDialog"),
                                    QStringLiteral("MessageDialog"), QStringLiteral("job end")}));
    // Bytes of the document's own size, which its armour makes larger than the content.
    const QString documentSize = QLocale::c().formattedDataSize(
        QFileInfo(QString::fromStdString(input)).size(), 1, QLocale::DataSizeIecFormat);
    EXPECT_TRUE(progress.contains(QStringLiteral(" large.txt.qsig: ")) &&
                progress.endsWith(QStringLiteral(" of ") + documentSize))
        << progress.toStdString();
    EXPECT_EQ(whileAsking, QStringLiteral("large.txt.qsig: waiting for your answer"));
    EXPECT_TRUE(helpDuringJob) << "Help opens during a job, and the form stays";
    if (HelpWindow* help = HelpWindow::findOpen()) {
        help->close();
    }
    EXPECT_FALSE(window->progressStrip()->isVisible()) << "the strip goes with the job";
    EXPECT_EQ(documents_.read("large.txt").size(), size);
    RecordProperty("worst_event_gap_ms", static_cast<int>(worstGap)); // measured, not judged
}

} // namespace

// A whole job through the real program: start-up, the form, the Browse dialog, the Verify/Decrypt
// button, and the prompts and verdicts answered as a person would.
#include "modal_answerer.h"

#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/pass_phrase_dialog.h"
#include "app/quillbox_reader_app.h"
#include "app/task_strip.h"
#include "app/verify_decrypt_form.h"

#include "support/document_writer.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <QTest>
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
        form->setFileChooser(
            [input](const FileRequest&) { return QStringList{QString::fromStdString(input)}; });
        QTest::mouseClick(control<QWidget>(form, formid::browseInput), Qt::LeftButton);
        if (!checkRevocation) {
            QTest::mouseClick(control<QRadioButton>(form, formid::no), Qt::LeftButton);
        }
        QTest::mouseClick(control<QWidget>(form, formid::verifyDecrypt), Qt::LeftButton);
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

} // namespace

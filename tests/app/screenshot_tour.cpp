// Starts the desktop program as it starts for a person, walks through its main window, the form
// and the dialogs, and saves a picture of each into the directory given as the only argument.
#include "app/help_window.h"
#include "app/job_progress_strip.h"
#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/pass_phrase_dialog.h"
#include "app/pictures.h"
#include "app/quillbox_reader_app.h"
#include "app/signature_result_dialog.h"
#include "app/task_strip.h"
#include "app/verify_decrypt_form.h"

#include "platform/work_progress.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QSemaphore>

#include <cstdio>
#include <unistd.h>

namespace {

bool save(QWidget* widget, const QDir& directory, const QString& name) {
    QApplication::processEvents();
    const QString path = directory.filePath(name);
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

SignatureVerdict sampleVerdict() {
    SignatureVerdict verdict;
    verdict.header = "SUCCESS";
    verdict.headerIcon = VerdictIcon::GreenTick;
    verdict.description = "CN=Alice Example\nEmail=alice@example.com\nO=Example Trading Ltd\nOU=Accounts\n"
                          "Certificate expires on: Mar 14 09:30:00 2027 GMT\n";
    verdict.signatureText = "Verified";
    verdict.integrityText = "Contents not altered after message was signed";
    verdict.validityText = "Certificate not expired";
    verdict.revocationText = "Certificate revocation status unknown";
    verdict.revocationStatus = VerdictStatus::Unknown;
    SignerFacts signer;
    signer.subject = "CN=Alice Example, emailAddress=alice@example.com, O=Example Trading Ltd, OU=Accounts";
    signer.issuer = "CN=Example Trading Issuing CA, O=Example Trading Ltd";
    signer.serial = "4f2a9c01";
    signer.sha256 = "9b1e5c0f7a3d2e8841c6f0b2d95a7e13c48f6a0d2b7e9c5a1f3d8e6b4c2a0f97";
    signer.notBefore = "2025-03-14T09:30:00Z";
    signer.notAfter = "2027-03-14T09:30:00Z";
    signer.signingTime = "2026-11-02T16:05:41Z";
    signer.digest = "SHA256";
    signer.signatureAlgorithm = "RSA";
    signer.signatureValid = true;
    signer.chainTrusted = true;
    signer.chainSubjects = {signer.subject, signer.issuer,
                            "CN=Example Trading Root CA, O=Example Trading Ltd"};
    verdict.signers = {signer};
    return verdict;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillbox-screenshot-tour OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    pictures::initResources();
    // Its own instance name, so that a running copy of the program is left alone.
    QuillboxReaderApp reader(QStringLiteral("QUILLBOXREADER-screenshot-tour-%1").arg(::getpid()));
    if (!reader.InitInstance()) {
        return 1;
    }
    MainWindow* window = reader.mainWindow();
    // Without a window manager a maximized window keeps its first size: give it the screen.
    window->setGeometry(window->screen()->availableGeometry());
    bool ok = save(window, out, QStringLiteral("main-window.png"));

    window->taskStrip()->activate(TaskStrip::VerifyDecrypt);
    window->form()->setFileChooser([](const FileRequest& request) {
        return request.purpose == FileRequest::Purpose::Input
                   ? QStringList{QStringLiteral("/home/alice/Documents/quarterly-report.pdf.qsig")}
                   : QStringList{QStringLiteral("/home/alice/Documents/revoked.crl")};
    });
    window->form()->browseInput();
    window->form()->browseCrl();
    ok = save(window, out, QStringLiteral("verify-decrypt-form.png")) && ok;

    MessageDialog message(QStringLiteral("Decryption/Verification completed and File Saved"),
                          IconKind::Success, MessageButtons::Ok, window);
    message.show();
    ok = save(&message, out, QStringLiteral("message-dialog.png")) && ok;
    message.hide();

    MessageDialog longPath(
        QStringLiteral("Input file /home/ann/Documents/Quarterly_reports_for_the_board_of_directors_2026/"
                       "a_very_long_document_name_that_was_exported_by_the_accounting_system_without_spaces/"
                       "missing.qsig does not exist"),
        IconKind::Warning, MessageButtons::Ok, window);
    longPath.show();
    ok = save(&longPath, out, QStringLiteral("message-long-path.png")) && ok;
    longPath.hide();

    PassPhraseDialog prompt(window, PassPhraseDialog::passPhraseTexts());
    prompt.findChild<QLineEdit*>()->setText(QStringLiteral("correct horse"));
    prompt.show();
    prompt.findChild<QLineEdit*>()->deselect();
    ok = save(&prompt, out, QStringLiteral("pass-phrase-dialog.png")) && ok;
    prompt.hide();

    SignatureResultDialog result(sampleVerdict(), window);
    result.show();
    ok = save(&result, out, QStringLiteral("signature-result-dialog.png")) && ok;
    result.showDetails(true);
    ok = save(&result, out, QStringLiteral("signature-result-details.png")) && ok;
    result.hide();

    HelpWindow* help = HelpWindow::showHelp();
    help->resize(900, 700);
    ok = save(help, out, QStringLiteral("help-window.png")) && ok;
    help->close();

    window->showNormal();
    window->setGeometry(window->firstNormalGeometry(window->screen()->availableGeometry()));
    window->taskStrip()->activate(TaskStrip::VerifyDecrypt);
    ok = save(window, out, QStringLiteral("main-window-restored.png")) && ok;

    // The second document of a batch, 350 MiB, a third of the way through its decryption: a stand-in
    // job reports it and waits for the picture.
    window->form()->setFileChooser([](const FileRequest&) {
        return QStringList{QStringLiteral("/home/alice/Documents/archive-2025.tar.qsig"),
                           QStringLiteral("/home/alice/Documents/scans-2026.tar.qsig"),
                           QStringLiteral("/home/alice/Documents/ledger.xlsx.qsig")};
    });
    window->form()->browseInput();
    QSemaphore pictureTaken;
    window->setJobRunner([&pictureTaken](JobForm&, JobUi& ui) {
        constexpr std::uint64_t size = std::uint64_t{350} << 20;
        ui.reportProgress({2, 3, size, "/home/alice/Documents/scans-2026.tar.qsig"});
        const WorkPass decrypting(WorkStage::Decrypting, size);
        WorkPass::advanced(size / 3);
        pictureTaken.acquire();
    });
    QMetaObject::invokeMethod(window->form(), &VerifyDecryptForm::verifyDecryptRequested);
    while (!window->progressStrip()->text().contains(QStringLiteral(" of "))) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    ok = save(window, out, QStringLiteral("progress.png")) && ok;
    pictureTaken.release();
    while (window->isJobRunning()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return ok ? 0 : 1;
}

#include "app/quillbox_reader_app.h"

#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/pictures.h"
#include "app/single_instance.h"
#include "app/text_bytes.h"

#include "certs/key_store.h"
#include "pipeline/job_driver.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace {

// As the file dialogs give them: absolute and without "." or ".." steps. An empty argument names
// no file.
QStringList absolutePaths(const QStringList& paths) {
    QStringList absolute;
    const QDir current = QDir::current();
    for (const QString& path : paths) {
        if (!path.isEmpty()) {
            absolute.append(QDir::cleanPath(current.absoluteFilePath(path)));
        }
    }
    return absolute;
}

} // namespace

QuillboxReaderApp::QuillboxReaderApp(QString instanceName, const QStringList& documents)
    : instanceName_(std::move(instanceName)), documents_(absolutePaths(documents)) {}

QuillboxReaderApp::~QuillboxReaderApp() = default;

bool QuillboxReaderApp::InitInstance() {
    // Every window, the start-up messages included, wears the program's icon.
    QApplication::setWindowIcon(pictures::applicationIcon());
    instance_ = std::make_unique<SingleInstance>(instanceName_);
    switch (instance_->claim(documents_)) {
    case SingleInstance::Claim::First:
        break;
    case SingleInstance::Claim::HandedOver:
        // The running copy shows the documents: nothing went wrong, so there is nothing to say.
        return false;
    case SingleInstance::Claim::Found:
        MessageDialog::ShowMessage(nullptr, QStringLiteral("Quillbox Reader is already running"),
                                   IconKind::Error);
        return false;
    }

    const QString executable = QCoreApplication::applicationFilePath();
    const qsizetype lastSeparator = executable.lastIndexOf(QLatin1Char('/'));
    if (lastSeparator < 0) {
        MessageDialog::ShowMessage(
            nullptr,
            QStringLiteral("Illegal path! You should run the program from its installation directory"),
            IconKind::RedAlert);
        return false;
    }
    paths_ = resolveAppPaths(toBytes(executable.left(lastSeparator + 1)), QUILLBOX_INSTALL_BINDIR);

    // The settings store; the program keeps nothing of its own there.
    QCoreApplication::setOrganizationName(companyKey());
    QCoreApplication::setApplicationName(applicationName());

    mainWindow_ = std::make_unique<MainWindow>();
    MainWindow* window = mainWindow_.get();
    QObject::connect(instance_.get(), &SingleInstance::activationRequested, window,
                     [window](const QStringList& documents) {
                         window->bringToFront();
                         window->openDocuments(documents);
                     });
    JobSettings settings;
    settings.appPaths = paths_;
    settings.keyStoreDirectory = defaultKeyStoreDirectory();
    mainWindow_->setJobRunner([settings](JobForm& form, JobUi& ui) { OnVerifyDecrypt(form, ui, settings); });
    mainWindow_->setWindowTitle(QStringLiteral("Quillbox Reader"));
    mainWindow_->showMaximized();
    mainWindow_->repaint();
    mainWindow_->openDocuments(documents_);
    return true;
}

#include "app/quillbox_reader_app.h"

#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/pictures.h"
#include "app/single_instance.h"

#include "certs/key_store.h"
#include "pipeline/job_driver.h"
#include "platform/user_directories.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>

namespace {

// As the file dialogs give them: absolute, without "." or ".." steps, in the system's spelling. An
// empty argument names no file.
QStringList absolutePaths(const QStringList& paths) {
    QStringList absolute;
    const QDir current = QDir::current();
    for (const QString& path : paths) {
        if (!path.isEmpty()) {
            absolute.append(QDir::toNativeSeparators(QDir::cleanPath(current.absoluteFilePath(path))));
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

    // The system's own spelling of the directory (backslashes on Windows), as the log shows it.
    const std::string executableDirectory = platform::executableDirectory();
    if (executableDirectory.empty()) {
        MessageDialog::ShowMessage(
            nullptr,
            QStringLiteral("Illegal path! You should run the program from its installation directory"),
            IconKind::RedAlert);
        return false;
    }
    paths_ = resolveAppPaths(executableDirectory);

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

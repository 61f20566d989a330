#include "app/quillbox_reader_app.h"

#include "app/main_window.h"
#include "app/message_dialog.h"
#include "app/single_instance.h"
#include "app/text_bytes.h"

#include "certs/key_store.h"
#include "pipeline/job_driver.h"

#include <QCoreApplication>
#include <QSettings>

QuillboxReaderApp::QuillboxReaderApp(QString instanceName) : instanceName_(std::move(instanceName)) {}

QuillboxReaderApp::~QuillboxReaderApp() = default;

bool QuillboxReaderApp::InitInstance() {
    instance_ = std::make_unique<SingleInstance>(instanceName_);
    if (!instance_->claim()) {
        MessageDialog::ShowMessage(nullptr, QStringLiteral("Quillbox Reader is already running"), 3);
        return false;
    }

    const QString executable = QCoreApplication::applicationFilePath();
    const qsizetype lastSeparator = executable.lastIndexOf(QLatin1Char('/'));
    if (lastSeparator < 0) {
        MessageDialog::ShowMessage(
            nullptr,
            QStringLiteral("Illegal path! You should run the program from its installation directory"), 1);
        return false;
    }
    paths_ = resolveAppPaths(toBytes(executable.left(lastSeparator + 1)));

    // The settings store; the program keeps nothing of its own there.
    QCoreApplication::setOrganizationName(companyKey());
    QCoreApplication::setApplicationName(applicationName());

    mainWindow_ = std::make_unique<MainWindow>();
    QObject::connect(instance_.get(), &SingleInstance::activationRequested, mainWindow_.get(),
                     &MainWindow::bringToFront);
    JobSettings settings;
    settings.appPaths = paths_;
    settings.keyStoreDirectory = defaultKeyStoreDirectory();
    mainWindow_->setJobRunner([settings](JobForm& form, JobUi& ui) { OnVerifyDecrypt(form, ui, settings); });
    mainWindow_->setWindowTitle(QStringLiteral("Quillbox Reader"));
    mainWindow_->showMaximized();
    mainWindow_->repaint();
    return true;
}

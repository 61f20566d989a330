#pragma once
// Start-up of the desktop program: one copy per user, the application directory, the settings
// store, and the maximized main window.
#include "pipeline/app_paths.h"

#include <QString>
#include <QStringList>

#include <memory>

class MainWindow;
class SingleInstance;

class QuillboxReaderApp {
public:
    // The settings store's company key and application name.
    static QString companyKey() { return QStringLiteral("Local AppWizard-Generated Applications"); }
    static QString applicationName() { return QStringLiteral("QuillboxReader"); }

    // instanceName: the single-instance name (SingleInstance::instanceName() in the program);
    // documents: the files the program was started with, relative ones to the current directory.
    explicit QuillboxReaderApp(QString instanceName, const QStringList& documents = {});
    ~QuillboxReaderApp();
    QuillboxReaderApp(const QuillboxReaderApp&) = delete;
    QuillboxReaderApp& operator=(const QuillboxReaderApp&) = delete;

    // The start-up sequence; false means the process ends at once (another copy runs, and has
    // taken the documents if there are any, or the program cannot tell where it lives).
    bool InitInstance();

    const AppPaths& paths() const { return paths_; }
    const QStringList& documents() const { return documents_; }
    MainWindow* mainWindow() const { return mainWindow_.get(); }

private:
    QString instanceName_;
    QStringList documents_;
    std::unique_ptr<SingleInstance> instance_;
    AppPaths paths_;
    std::unique_ptr<MainWindow> mainWindow_;
};

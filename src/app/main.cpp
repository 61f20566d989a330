#include "app/pictures.h"
#include "app/quillbox_reader_app.h"
#include "app/reader_command_line.h"
#include "app/single_instance.h"
#include "platform/output_file.h"

#include "platform/console.h"

#include <QApplication>

namespace {

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

} // namespace

int main(int argc, char* argv[]) {
    prepareProcessForSaving();
    // Help and version must not need a display: they are answered before the window system is
    // reached.
    if (ReaderCommandLine(argumentsOf(argc, argv)).asksForInformation()) {
        platform::reachParentConsole();
        const platform::Utf8Console console;
        QCoreApplication application(argc, argv);
        return ReaderCommandLine(QCoreApplication::arguments()).report();
    }
    QApplication application(argc, argv);
    const ReaderCommandLine commandLine(QCoreApplication::arguments());
    if (!commandLine.isValid()) {
        return commandLine.report();
    }
    pictures::initResources();
    QuillboxReaderApp reader(SingleInstance::instanceName(), commandLine.documents());
    if (!reader.InitInstance()) {
        return 0;
    }
    return QApplication::exec();
}

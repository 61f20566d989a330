// The shared main of the GUI tests: an offscreen Qt application around GoogleTest. Two modes make
// the test program a later copy of the desktop program instead:
//   <test> --claim-instance NAME [DOCUMENT...]  claims NAME; exits 0 when it became the first
//                                               copy, 3 when another copy answered, 4 when that
//                                               copy took the documents
//   <test> --start-reader NAME [DOCUMENT...]    starts the program under NAME; exits 0 when it
//                                               became the first copy, 3 when it ended
//   <test> --gather-instance NAME COUNT DOCUMENT...  as --claim-instance, claiming when a line
//                                               arrives on stdin after it printed "ready" (so that
//                                               copies race); the first copy then gathers documents
//                                               from later copies until COUNT are there (its own
//                                               included, a minute at most) and prints them, one
//                                               a line
#include "app/pictures.h"
#include "app/quillbox_reader_app.h"
#include "app/single_instance.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

QStringList documentsFrom(int argc, char** argv, int first = 3) {
    QStringList documents;
    for (int i = first; i < argc; ++i) {
        documents.append(QString::fromLocal8Bit(argv[i]));
    }
    return documents;
}

int exitCodeOf(SingleInstance::Claim claim) {
    switch (claim) {
    case SingleInstance::Claim::First:
        return 0;
    case SingleInstance::Claim::Found:
        return 3;
    case SingleInstance::Claim::HandedOver:
        return 4;
    }
    return 1;
}

int claimInstance(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    return exitCodeOf(instance.claim(documentsFrom(argc, argv)));
}

int gatherInstance(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    const int count = QByteArray(argv[3]).toInt();
    QStringList gathered = documentsFrom(argc, argv, 4);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
    }
    const SingleInstance::Claim claim = instance.claim(gathered);
    if (claim != SingleInstance::Claim::First) {
        return exitCodeOf(claim);
    }
    QObject::connect(&instance, &SingleInstance::activationRequested, [&](const QStringList& documents) {
        gathered += documents;
        if (gathered.size() >= count) {
            QCoreApplication::quit();
        }
    });
    QTimer::singleShot(60000, &application, &QCoreApplication::quit);
    QCoreApplication::exec();
    std::fputs(qPrintable(gathered.join(QLatin1Char('\n')) + QLatin1Char('\n')), stdout);
    return 0;
}

int startReader(int argc, char** argv) {
    QApplication application(argc, argv);
    pictures::initResources();
    QuillboxReaderApp reader(QString::fromLocal8Bit(argv[2]), documentsFrom(argc, argv));
    return reader.InitInstance() ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Wine hands no QT_ variable to a Windows program, and Qt's offscreen platform on Windows
    // knows no font but those in this folder: without it every glyph is a box as wide as it is high.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") &&
        !qEnvironmentVariableIsEmpty("QUILLBOX_TEST_FONT_DIR")) {
        qputenv("QT_QPA_FONTDIR", qgetenv("QUILLBOX_TEST_FONT_DIR"));
    }
    if (argc >= 3 && std::strcmp(argv[1], "--claim-instance") == 0) {
        return claimInstance(argc, argv);
    }
    if (argc >= 5 && std::strcmp(argv[1], "--gather-instance") == 0) {
        return gatherInstance(argc, argv);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--start-reader") == 0) {
        return startReader(argc, argv);
    }
    QApplication application(argc, argv);
    pictures::initResources();
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}

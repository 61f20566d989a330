// The shared main of the GUI tests: an offscreen Qt application around GoogleTest. Two modes make
// the test program a later copy of the desktop program instead:
//   <test> --claim-instance NAME [DOCUMENT...]  claims NAME; exits 0 when it became the first
//                                               copy, 3 when another copy answered, 4 when that
//                                               copy took the documents
//   <test> --start-reader NAME [DOCUMENT...]    starts the program under NAME; exits 0 when it
//                                               became the first copy, 3 when it ended
#include "app/pictures.h"
#include "app/quillbox_reader_app.h"
#include "app/single_instance.h"

#include <gmock/gmock.h>

#include <QApplication>

#include <cstring>

namespace {

QStringList documentsFrom(int argc, char** argv) {
    QStringList documents;
    for (int i = 3; i < argc; ++i) {
        documents.append(QString::fromLocal8Bit(argv[i]));
    }
    return documents;
}

int claimInstance(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    SingleInstance instance(QString::fromLocal8Bit(argv[2]));
    switch (instance.claim(documentsFrom(argc, argv))) {
    case SingleInstance::Claim::First:
        return 0;
    case SingleInstance::Claim::Found:
        return 3;
    case SingleInstance::Claim::HandedOver:
        return 4;
    }
    return 1;
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
    if (argc >= 3 && std::strcmp(argv[1], "--claim-instance") == 0) {
        return claimInstance(argc, argv);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--start-reader") == 0) {
        return startReader(argc, argv);
    }
    QApplication application(argc, argv);
    pictures::initResources();
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}

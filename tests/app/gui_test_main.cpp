// The shared main of the GUI tests: an offscreen Qt application around GoogleTest. Started as
// "<test> --claim-instance NAME" it is instead a second copy of the program claiming NAME, and
// exits 0 when it became the first copy, 3 when another copy answered.
#include "app/pictures.h"
#include "app/single_instance.h"

#include <gmock/gmock.h>

#include <QApplication>

#include <cstring>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 3 && std::strcmp(argv[1], "--claim-instance") == 0) {
        QCoreApplication application(argc, argv);
        SingleInstance instance(QString::fromLocal8Bit(argv[2]));
        return instance.claim() ? 0 : 3;
    }
    QApplication application(argc, argv);
    pictures::initResources();
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}

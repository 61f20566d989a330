#include "app/pictures.h"
#include "app/quillbox_reader_app.h"
#include "app/single_instance.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    pictures::initResources();
    QuillboxReaderApp reader(SingleInstance::instanceName());
    if (!reader.InitInstance()) {
        return 0;
    }
    return QApplication::exec();
}

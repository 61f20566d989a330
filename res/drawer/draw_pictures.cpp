// quillbox-picture-drawer <output directory> <scale> <picture.svg>...
// Draws each picture at its natural size times scale into <output directory>/<name>.png (scale 1)
// or <name>@<scale>x.png.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv) {
    // The pictures' text needs the application's fonts.
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    bool scaleRead = false;
    const int scale = arguments.size() > 2 ? arguments[2].toInt(&scaleRead) : 0;
    if (arguments.size() < 4 || !scaleRead || scale < 1) {
        std::fprintf(stderr, "usage: quillbox-picture-drawer <output directory> <scale> <picture.svg>...\n");
        return 2;
    }
    const QDir output(arguments[1]);
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "quillbox-picture-drawer: cannot make %s\n", qPrintable(arguments[1]));
        return 1;
    }
    for (const QString& source : arguments.mid(3)) {
        QSvgRenderer renderer(source);
        if (!renderer.isValid() || renderer.defaultSize().isEmpty()) {
            std::fprintf(stderr, "quillbox-picture-drawer: %s is no picture\n", qPrintable(source));
            return 1;
        }
        QImage image(renderer.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@%1x.png").arg(scale);
        const QString target = output.filePath(QFileInfo(source).completeBaseName() + suffix);
        if (!image.save(target)) {
            std::fprintf(stderr, "quillbox-picture-drawer: cannot write %s\n", qPrintable(target));
            return 1;
        }
    }
    return 0;
}

// quillbox-picture-drawer <output directory> <scale> <picture.svg>...
// Draws each picture at its natural size times scale into <output directory>/<name>.png (scale 1)
// or <name>@<scale>x.png.
// quillbox-picture-drawer --icon <file.ico> <picture.svg>
// Draws the picture at the sizes Windows shows icons at into one icon file.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <array>
#include <cstdio>

namespace {

QImage draw(QSvgRenderer& renderer, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

void appendLittleEndian16(QByteArray& bytes, int value) {
    const quint16 little = qToLittleEndian(static_cast<quint16>(value));
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

void appendLittleEndian32(QByteArray& bytes, qsizetype value) {
    const quint32 little = qToLittleEndian(static_cast<quint32>(value));
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// An icon file: a directory of entries, each a PNG image (which Windows reads in icons since Vista).
int writeIcon(const QString& target, const QString& source) {
    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "quillbox-picture-drawer: %s is no picture\n", qPrintable(source));
        return 1;
    }
    constexpr std::array<int, 7> sizes{16, 20, 24, 32, 48, 64, 256};
    std::array<QByteArray, sizes.size()> images;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        QBuffer buffer(&images[i]);
        buffer.open(QIODevice::WriteOnly);
        draw(renderer, QSize(sizes[i], sizes[i])).save(&buffer, "PNG");
    }
    QByteArray icon;
    appendLittleEndian16(icon, 0); // reserved
    appendLittleEndian16(icon, 1); // an icon, not a cursor
    appendLittleEndian16(icon, static_cast<int>(sizes.size()));
    qsizetype offset = 6 + 16 * static_cast<qsizetype>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const char side = static_cast<char>(sizes[i] == 256 ? 0 : sizes[i]); // 0 stands for 256
        icon.append(side).append(side).append('\0').append('\0');            // no palette, reserved
        appendLittleEndian16(icon, 1);                                       // colour planes
        appendLittleEndian16(icon, 32);                                      // bits per pixel
        appendLittleEndian32(icon, images[i].size());
        appendLittleEndian32(icon, offset);
        offset += images[i].size();
    }
    for (const QByteArray& image : images) {
        icon.append(image);
    }
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(icon) != icon.size()) {
        std::fprintf(stderr, "quillbox-picture-drawer: cannot write %s\n", qPrintable(target));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The pictures' text needs the application's fonts.
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QStringLiteral("--icon")) {
        return writeIcon(arguments[2], arguments[3]);
    }
    bool scaleRead = false;
    const int scale = arguments.size() > 2 ? arguments[2].toInt(&scaleRead) : 0;
    if (arguments.size() < 4 || !scaleRead || scale < 1) {
        std::fprintf(stderr, "usage: quillbox-picture-drawer <output directory> <scale> <picture.svg>...\n"
                             "       quillbox-picture-drawer --icon <file.ico> <picture.svg>\n");
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
        const QImage image = draw(renderer, renderer.defaultSize() * scale);
        const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@%1x.png").arg(scale);
        const QString target = output.filePath(QFileInfo(source).completeBaseName() + suffix);
        if (!image.save(target)) {
            std::fprintf(stderr, "quillbox-picture-drawer: cannot write %s\n", qPrintable(target));
            return 1;
        }
    }
    return 0;
}

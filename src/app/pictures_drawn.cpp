// The pictures as drawn at build time, for a Qt without the SVG module: the drawing at the natural
// size serves that size exactly; every other size is scaled from the drawing at twice it.
#include "app/pictures.h"

#include <QImageReader>
#include <QPainter>

namespace pictures {

namespace {
QString largePath(int id) {
    return QStringLiteral(":/res/%1@2x.png").arg(id);
}
} // namespace

QString path(int id) {
    return QStringLiteral(":/res/%1.png").arg(id);
}

bool exists(int id) {
    return naturalSize(id).isValid();
}

QSize naturalSize(int id) {
    const QSize natural = QImageReader(path(id)).size();
    return natural.isEmpty() ? QSize() : natural;
}

QImage render(int id, QSize size) {
    const QSize natural = naturalSize(id);
    if (!natural.isValid()) {
        return {};
    }
    if (size.isEmpty() || size == natural) {
        return QImage(path(id)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    // Drawn through a painter, whose filtering keeps an even colour exact (QImage::scaled turns
    // white into 254 grey, which the buttons' white keying would then miss).
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(), size), QImage(largePath(id)));
    return image;
}

} // namespace pictures

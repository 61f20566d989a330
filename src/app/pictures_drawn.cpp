// The pictures as drawn at build time, QUILLBOX_PICTURE_SCALE times their natural size, for a Qt
// without the SVG module; other sizes are scaled from that drawing.
#include "app/pictures.h"

#include <QImageReader>

namespace pictures {

namespace {
constexpr int kDrawnScale = QUILLBOX_PICTURE_SCALE;
}

QString path(int id) {
    return QStringLiteral(":/res/%1.png").arg(id);
}

bool exists(int id) {
    return naturalSize(id).isValid();
}

QSize naturalSize(int id) {
    const QSize drawn = QImageReader(path(id)).size();
    return drawn.isEmpty() ? QSize() : drawn / kDrawnScale;
}

QImage render(int id, QSize size) {
    const QImage drawn(path(id));
    if (drawn.isNull()) {
        return {};
    }
    if (size.isEmpty()) {
        size = drawn.size() / kDrawnScale;
    }
    if (size.isEmpty()) {
        return {};
    }
    return drawn.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace pictures

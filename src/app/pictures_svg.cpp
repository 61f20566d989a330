// The pictures drawn from their SVG sources at whatever size is asked for.
#include "app/pictures.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace pictures {

QString path(int id) {
    return QStringLiteral(":/res/%1.svg").arg(id);
}

bool exists(int id) {
    return QFile::exists(path(id)) && QSvgRenderer(path(id)).isValid();
}

QSize naturalSize(int id) {
    if (!QFile::exists(path(id))) {
        return {};
    }
    QSvgRenderer renderer(path(id));
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QImage render(int id, QSize size) {
    if (!QFile::exists(path(id))) {
        return {};
    }
    QSvgRenderer renderer(path(id));
    if (!renderer.isValid()) {
        return {};
    }
    if (size.isEmpty()) {
        size = renderer.defaultSize();
    }
    if (size.isEmpty()) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace pictures

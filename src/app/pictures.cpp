#include "app/pictures.h"

#include <QGuiApplication>
#include <QPixmapCache>
#include <QScreen>
#include <QWidget>

// Resource registration has to be named from the global namespace.
static void initEmbedded() {
    Q_INIT_RESOURCE(pictures);
    Q_INIT_RESOURCE(manual);
}

namespace pictures {

void initResources() {
    initEmbedded();
}

QPixmap pixmap(int id, QSize size) {
    // Backgrounds are painted often and are costly to render: keep them, drawn for the screen's
    // pixel density so that they stay sharp.
    const qreal ratio = qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
    const QString key =
        QStringLiteral("picture:%1:%2x%3@%4").arg(id).arg(size.width()).arg(size.height()).arg(ratio);
    QPixmap result;
    if (!QPixmapCache::find(key, &result)) {
        const QSize logical = size.isEmpty() ? naturalSize(id) : size;
        result = QPixmap::fromImage(render(id, logical * ratio));
        result.setDevicePixelRatio(ratio);
        QPixmapCache::insert(key, result);
    }
    return result;
}

QIcon applicationIcon() {
    constexpr int applicationIconPicture = 128;
    return QIcon(path(applicationIconPicture));
}

bool isSmallScreen(const QWidget* widget) {
    const QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr && screen->size() == QSize(800, 600);
}

int bySize(const QWidget* widget, int smallId, int largeId) {
    return isSmallScreen(widget) ? smallId : largeId;
}

} // namespace pictures

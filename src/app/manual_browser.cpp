#include "app/manual_browser.h"

#include "app/pictures.h"

#include <QRegularExpression>
#include <QTextDocument>

QVariant ManualBrowser::loadResource(int type, const QUrl& name) {
    static const QRegularExpression picture(QStringLiteral("(?:^|/)res/(\\d+)\\.svg$"));
    if (type == QTextDocument::ImageResource) {
        const QRegularExpressionMatch match = picture.match(name.path());
        if (match.hasMatch()) {
            const QImage image = pictures::render(match.captured(1).toInt());
            if (!image.isNull()) {
                return image;
            }
        }
    }
    return QTextBrowser::loadResource(type, name);
}

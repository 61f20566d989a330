#include "app/image_button.h"

#include "app/pictures.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace {

// The picture with every pixel of the transparent colour cleared.
QImage withoutColour(QImage image, QColor transparent) {
    if (image.isNull()) {
        return image;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return image;
}

// One colour wherever the picture has a dark, opaque pixel: the outline that an embossed
// (disabled) picture keeps.
QImage outlineIn(const QImage& picture, QColor colour) {
    QImage out(picture.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    out.fill(Qt::transparent);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (qAlpha(pixel) >= 128 && qGray(pixel) < 160) {
                out.setPixel(x, y, colour.rgba());
            }
        }
    }
    return out;
}

} // namespace

ImageButton::ImageButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setMouseTracking(true);
}

int ImageButton::SetFacePictures(int hoverId, QColor hoverTransparent, int normalId,
                                 QColor normalTransparent) {
    hover_ = Face{};
    normal_ = Face{};
    update();
    // -1: no such picture; otherwise a FaceResult.
    const auto load = [](Face& face, int id, QColor transparent) {
        if (!pictures::exists(id)) {
            return -1;
        }
        if (!pictures::naturalSize(id).isValid()) {
            return int{FaceNoSize};
        }
        face.id = id;
        face.transparent = transparent;
        face.source = withoutColour(pictures::render(id), transparent);
        return face.source.isNull() ? int{FaceNoMask} : int{FaceOk};
    };
    int result = load(hover_, hoverId, hoverTransparent);
    if (result < 0) {
        return FaceOk; // no picture at all: background, border and caption only
    }
    if (result == FaceOk) {
        result = load(normal_, normalId, normalTransparent);
        if (result < 0) {
            normal_ = Face{}; // the hover picture serves in every state
            result = FaceOk;
        }
    }
    if (result != FaceOk) {
        hover_ = Face{};
        normal_ = Face{};
    }
    return result;
}

int ImageButton::SetPicturePlacement(int placement, bool repaint) {
    if (placement < Beside || placement > Over) {
        return placementRefused;
    }
    placement_ = static_cast<Placement>(placement);
    if (repaint) {
        update();
    }
    return 0;
}

const QImage& ImageButton::faceFor(Face& face) {
    if (placement_ != Over) {
        return face.source;
    }
    // Over the caption the picture is the button's face, drawn to the button's size.
    const qreal ratio = devicePixelRatio();
    if (face.scaled.size() != size() * ratio) {
        face.scaled = withoutColour(pictures::render(face.id, size() * ratio), face.transparent);
        face.scaled.setDevicePixelRatio(ratio);
    }
    return face.scaled;
}

QRect ImageButton::pictureRect(QSize pictureSize, QRect bounds) const {
    QRect r(QPoint(0, 0), pictureSize);
    switch (placement_) {
    case Beside:
        r.moveTopLeft({bounds.left() + 3, bounds.center().y() - pictureSize.height() / 2});
        break;
    case Above:
        r.moveTopLeft({bounds.center().x() - pictureSize.width() / 2, bounds.top() + 3});
        break;
    case Right:
        r.moveTopLeft(
            {bounds.right() - 3 - pictureSize.width(), bounds.center().y() - pictureSize.height() / 2});
        break;
    case Over:
        r.moveTopLeft(bounds.topLeft());
        break;
    }
    return r;
}

QRect ImageButton::captionRect(QSize pictureSize, QRect bounds) const {
    if (pictureSize.isEmpty()) {
        return bounds;
    }
    switch (placement_) {
    case Beside:
        return bounds.adjusted(pictureSize.width() + 6, 0, 0, 0);
    case Above:
        return bounds.adjusted(0, pictureSize.height() + 3, 0, 0);
    case Right:
        return bounds.adjusted(0, 0, -pictureSize.width() - 6, 0);
    case Over:
        break;
    }
    return bounds;
}

void ImageButton::paintEmbossed(QPainter& painter, const QImage& picture, QPoint at) const {
    painter.drawImage(at + QPoint(1, 1), outlineIn(picture, palette().color(QPalette::Light)));
    painter.drawImage(at, outlineIn(picture, palette().color(QPalette::Dark)));
}

void ImageButton::paintCaption(QPainter& painter, QRect rect) const {
    int flags = Qt::AlignCenter | Qt::TextWordWrap;
    flags |= style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this) ? Qt::TextShowMnemonic
                                                                             : Qt::TextHideMnemonic;
    // The buttons draw no focus rectangle: the focus shows as an underlined caption.
    if (hasFocus()) {
        QFont underlined = font();
        underlined.setUnderline(true);
        painter.setFont(underlined);
    }
    if (!isEnabled()) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(rect.translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(rect, flags, text());
        return;
    }
    // Hot and normal captions share the button-text colour.
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(rect, flags, text());
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool pressed = isDown();
    const bool hot = isEnabled() && (mouseOver_ || pressed);
    const QRect bounds = rect();
    painter.fillRect(bounds, palette().color(QPalette::Button));

    QSize pictureSize;
    if (hasFacePicture()) {
        Face& face = (hot || normal_.source.isNull()) ? hover_ : normal_;
        const QImage& picture = faceFor(face);
        pictureSize = picture.deviceIndependentSize().toSize();
        QRect at = pictureRect(pictureSize, bounds);
        if (pressed) {
            at.translate(1, 1);
        }
        if (isEnabled()) {
            painter.drawImage(at.topLeft(), picture);
        } else {
            paintEmbossed(painter, picture, at.topLeft());
        }
    }
    if (!text().isEmpty()) {
        QRect caption = captionRect(placement_ == Over ? QSize() : pictureSize, bounds);
        if (pressed) {
            caption.translate(1, 1);
        }
        paintCaption(painter, caption);
    }
    // The border goes on last so that a face covering the whole button does not hide it.
    if (pressed) {
        qDrawShadeRect(&painter, bounds, palette(), true, 1);
    } else if (mouseOver_) {
        qDrawShadeRect(&painter, bounds, palette(), false, 1);
    }
}

void ImageButton::setMouseOver(bool over) {
    if (mouseOver_ != over) {
        mouseOver_ = over;
        update();
    }
}

void ImageButton::enterEvent(QEnterEvent* event) {
    // A drag that started elsewhere does not light the button.
    if (isEnabled() && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
        setMouseOver(true);
    }
    QPushButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    setMouseOver(false);
    QPushButton::leaveEvent(event);
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    if (!inside) {
        setMouseOver(false);
    } else if (!mouseOver_ && isEnabled() && !(event->buttons() & Qt::LeftButton)) {
        setMouseOver(true);
    }
    QPushButton::mouseMoveEvent(event);
}

void ImageButton::focusOutEvent(QFocusEvent* event) {
    setMouseOver(false);
    QPushButton::focusOutEvent(event);
}

void ImageButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        setMouseOver(false);
    } else if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        setMouseOver(false);
        if (hasFocus() && !focusNextPrevChild(true) && parentWidget() != nullptr) {
            parentWidget()->setFocus();
        }
    }
    QPushButton::changeEvent(event);
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

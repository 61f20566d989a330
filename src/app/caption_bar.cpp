#include "app/caption_bar.h"

#include "app/pictures.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace {

const QColor textBackground(125, 166, 152);
constexpr int backgroundSmall = 140;
constexpr int backgroundLarge = 169;
constexpr int closePicture = 143;
constexpr int restorePicture = 142;
constexpr int maximizePicture = 144;
constexpr int minimizePicture = 141;
// The caption font's character height and the title font's, in pixels.
constexpr int companyPixels = 12;
constexpr int titlePixels = 18;

} // namespace

CaptionBar::CaptionBar(QWidget* window) : QWidget(window), window_(window) {
    setFixedHeight(captionHeight - border);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    window_->installEventFilter(this);
}

int CaptionBar::backgroundId() const {
    return pictures::bySize(this, backgroundSmall, backgroundLarge);
}

QRect CaptionBar::buttonRect(Button button) const {
    if (button == None) {
        return {};
    }
    const int pictureWidth = buttonWidth - 2;
    const int left = width() - 2 - pictureWidth - static_cast<int>(button) * buttonWidth;
    return {left, 2, pictureWidth, buttonHeight - 4};
}

QRect CaptionBar::textRect() const {
    const int left = buttonWidth + 2;
    const int right = buttonRect(Minimize).left() - 2;
    return {left, 0, std::max(0, right - left), height()};
}

int CaptionBar::buttonPicture(Button button) const {
    switch (button) {
    case Close:
        return closePicture;
    case MaximizeRestore:
        return window_->isMaximized() ? restorePicture : maximizePicture;
    case Minimize:
        return minimizePicture;
    case None:
        break;
    }
    return 0;
}

CaptionBar::Button CaptionBar::buttonAt(QPoint position) const {
    for (Button button : {Close, MaximizeRestore, Minimize}) {
        if (buttonRect(button).contains(position)) {
            return button;
        }
    }
    return None;
}

void CaptionBar::fonts() {
    if (fontsReady_) {
        return;
    }
    companyFont_ = QFont();
    companyFont_.setFamilies(
        {QStringLiteral("Century Gothic"), QStringLiteral("URW Gothic"), QStringLiteral("DejaVu Sans")});
    companyFont_.setBold(true);
    companyFont_.setPixelSize(companyPixels);
    titleFont_ = QFont();
    titleFont_.setFamilies(
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    titleFont_.setBold(true);
    titleFont_.setPixelSize(titlePixels);
    fontsReady_ = true;
}

void CaptionBar::forgetPictures() {
    activePicture_ = QPixmap();
    inactivePicture_ = QPixmap();
    pictureSize_ = QSize();
}

QPixmap CaptionBar::buildPicture(bool active) {
    QPixmap picture(size());
    QPainter painter(&picture);
    painter.drawTiledPixmap(picture.rect(), pictures::pixmap(backgroundId()));

    const QIcon icon = window_->windowIcon();
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(2, 1, buttonWidth - 2, buttonHeight - 2));
    }
    // An inactive window's caption buttons are drawn faded.
    painter.setOpacity(active ? 1.0 : 0.55);
    for (Button button : {Close, MaximizeRestore, Minimize}) {
        const QRect r = buttonRect(button);
        painter.drawPixmap(r.topLeft(), pictures::pixmap(buttonPicture(button), r.size()));
    }
    painter.setOpacity(1.0);

    fonts();
    QRect text = textRect();
    painter.setPen(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(textBackground);
    const auto drawLine = [&](const QFont& font, const QString& line) {
        painter.setFont(font);
        const QString shown = QFontMetrics(font).elidedText(line, Qt::ElideRight, text.width());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    };
    drawLine(companyFont_, companyWord());
    // The title starts where the company word would end if it were set in the title font.
    text.setLeft(text.left() + QFontMetrics(titleFont_).horizontalAdvance(companyWord()));
    if (text.width() > 0) {
        drawLine(titleFont_, titleText());
    }
    return picture;
}

QPixmap CaptionBar::captionPicture() {
    if (pictureSize_ != size()) {
        forgetPictures();
        pictureSize_ = size();
    }
    QPixmap& picture = active_ ? activePicture_ : inactivePicture_;
    if (picture.isNull()) {
        picture = buildPicture(active_);
    }
    return picture;
}

void CaptionBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, captionPicture());
    if (pressed_ != None && buttonAt(mapFromGlobal(QCursor::pos())) == pressed_) {
        const QRect r = buttonRect(pressed_);
        painter.fillRect(r, QColor(0, 0, 0, 60));
        painter.setPen(QColor(0, 0, 0, 120));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void CaptionBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = buttonAt(event->position().toPoint());
    if (pressed_ != None) {
        update();
        return;
    }
    // Let the window system move the window; without one (or without a window manager) move it here.
    QWindow* handle = window_->windowHandle();
    dragging_ = handle == nullptr || !handle->startSystemMove();
    dragOffset_ = event->globalPosition().toPoint() - window_->frameGeometry().topLeft();
}

void CaptionBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton) && !window_->isMaximized()) {
        window_->move(event->globalPosition().toPoint() - dragOffset_);
    }
    if (pressed_ != None) {
        update();
    }
}

void CaptionBar::mouseReleaseEvent(QMouseEvent* event) {
    const Button released = buttonAt(event->position().toPoint());
    const Button pressed = pressed_;
    pressed_ = None;
    dragging_ = false;
    update();
    if (event->button() != Qt::LeftButton || released != pressed) {
        return;
    }
    switch (released) {
    case Close:
        emit closeRequested();
        break;
    case MaximizeRestore:
        emit maximizeRestoreRequested();
        break;
    case Minimize:
        emit minimizeRequested();
        break;
    case None:
        break;
    }
}

void CaptionBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && buttonAt(event->position().toPoint()) == None) {
        emit maximizeRestoreRequested();
    }
}

bool CaptionBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::ActivationChange) {
            const bool active = window_->isActiveWindow();
            if (active != active_) {
                active_ = active;
                update();
            }
        } else if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::WindowIconChange) {
            forgetPictures(); // e.g. the maximize button turns into the restore button and back
            update();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CaptionBar::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        fontsReady_ = false;
        forgetPictures();
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

#include "app/whole_text.h"

#include <QPainter>
#include <QScrollArea>
#include <QTextLayout>

namespace {

constexpr QChar kZeroWidthSpace(0x200B);

// Lays text out in lines of width; the height it takes.
int layOut(QTextLayout& layout, int width) {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition({0, height});
        height += line.height();
    }
    layout.endLayout();
    return qCeil(height);
}

} // namespace

WholeText::WholeText(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QString WholeText::breakable(const QString& text) {
    QString shown;
    shown.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        shown.append(c);
        if (c == QLatin1Char('/') || c == QLatin1Char('\\')) {
            shown.append(kZeroWidthSpace);
        }
    }
    return shown;
}

QScrollArea* WholeText::area() const {
    // The text's parent is the area's viewport.
    return parentWidget() != nullptr ? qobject_cast<QScrollArea*>(parentWidget()->parentWidget()) : nullptr;
}

int WholeText::heightForWidth(int width) const {
    const QMargins margins = contentsMargins() + QMargins(margin(), margin(), margin(), margin());
    QTextLayout layout(breakable(text()), font());
    return layOut(layout, std::max(1, width - margins.left() - margins.right())) + margins.top() +
           margins.bottom();
}

QSize WholeText::sizeHint() const {
    return {width(), heightForWidth(width())};
}

QSize WholeText::minimumSizeHint() const {
    // Any width will do: the text breaks anywhere.
    return {1, heightForWidth(width())};
}

void WholeText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect inner = contentsRect().marginsRemoved({margin(), margin(), margin(), margin()});
    QTextLayout layout(breakable(text()), font());
    layOut(layout, inner.width());
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, inner.topLeft());
}

WholeText* placeWholeText(QWidget* host, const QString& text, const QRect& geometry) {
    auto* area = new QScrollArea(host);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    area->setFocusPolicy(Qt::NoFocus);
    area->setGeometry(geometry);
    auto* shown = new WholeText(text);
    area->setWidget(shown);
    shown->setAutoFillBackground(false); // setWidget turned it on
    return shown;
}

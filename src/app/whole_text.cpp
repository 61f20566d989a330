#include "app/whole_text.h"

#include <QPainter>
#include <QScrollArea>
#include <QTextLayout>

#include <algorithm>

namespace {

constexpr QChar zeroWidthSpace(0x200B);

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
    // A text layout takes "\n" for a space; a line separator is its line break.
    const QStringView lines =
        text.endsWith(QLatin1Char('\n')) ? QStringView(text).chopped(1) : QStringView(text);
    QString shown;
    shown.reserve(lines.size() + lines.size() / 8);
    for (const QChar c : lines) {
        shown.append(c == QLatin1Char('\n') ? QChar(QChar::LineSeparator) : c);
        if (c == QLatin1Char('/') || c == QLatin1Char('\\')) {
            shown.append(zeroWidthSpace);
        }
    }
    return shown;
}

qsizetype WholeText::wordsAfterLastPath(const QString& text) {
    const qsizetype separator =
        std::max(text.lastIndexOf(QLatin1Char('/')), text.lastIndexOf(QLatin1Char('\\')));
    const qsizetype space = separator < 0 ? -1 : text.indexOf(QLatin1Char(' '), separator);
    return space < 0 || text.mid(space).trimmed().isEmpty() ? -1 : space + 1;
}

void WholeText::showOnly(int length) {
    shownLength_ = length;
    updateGeometry();
    update();
}

QString WholeText::shownText() const {
    return shownLength_ < 0 ? text() : text().left(shownLength_);
}

QRect WholeText::textRect() const {
    return contentsRect().marginsRemoved({margin(), margin(), margin(), margin()});
}

QList<qreal> WholeText::paintedLineWidths() const {
    QTextLayout layout(breakable(shownText()), font());
    layOut(layout, textRect().width());
    QList<qreal> widths;
    for (int i = 0; i < layout.lineCount(); ++i) {
        widths.append(layout.lineAt(i).naturalTextWidth());
    }
    return widths;
}

QScrollArea* WholeText::area() const {
    // The text's parent is the area's viewport.
    return parentWidget() != nullptr ? qobject_cast<QScrollArea*>(parentWidget()->parentWidget()) : nullptr;
}

int WholeText::heightForWidth(int width) const {
    const QMargins margins = contentsMargins() + QMargins(margin(), margin(), margin(), margin());
    QTextLayout layout(breakable(shownText()), font());
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
    const QRect inner = textRect();
    QTextLayout layout(breakable(shownText()), font());
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

#include "app/themed_dialog.h"

#include "app/on_screen.h"
#include "app/pictures.h"
#include "app/program_palette.h"
#include "app/whole_text.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>

ThemedDialog::ThemedDialog(int widthUnits, int heightUnits, int backgroundId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      backgroundId_(backgroundId), layout_(this, DialogUnits(dialogFont())) {
    setWindowTitle(QStringLiteral("Quillbox Reader"));
    setPalette(programPalette());
    setFont(dialogFont());
    setFixedSize(layout_.units().size(widthUnits, heightUnits));
    setModal(true);
}

void ThemedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->wordWrap() && !label->text().isEmpty()) {
            widenToText(label);
        }
    }
    keepOnScreen(this);
}

void ThemedDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The background pictures are plain gradients: where the dialog is larger than the picture
    // (wider fonts make wider dialogs), the gradient is drawn larger rather than leaving a bare strip.
    const QSize natural = pictures::naturalSize(backgroundId_);
    painter.drawPixmap(0, 0, pictures::pixmap(backgroundId_, natural.expandedTo(size())));
}

void ThemedDialog::growToShow(WholeText* text) {
    QScrollArea* area = text->area();
    const int needed = text->heightForWidth(area->width()) - area->height();
    const int room = screen()->availableGeometry().height() - kFrameAllowance - height();
    growDownwards(area, std::min(needed, room));
    if (needed > room) {
        pinWordsAfterPath(text);
    }
}

void ThemedDialog::fitLines(QLabel* text) {
    growDownwards(text, text->heightForWidth(text->width()) - text->height());
}

void ThemedDialog::growDownwards(QWidget* grown, int extra) {
    if (extra <= 0) {
        return;
    }
    const int grownBottom = grown->geometry().bottom();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->y() > grownBottom) {
            child->move(child->x(), child->y() + extra);
        }
    }
    grown->resize(grown->width(), grown->height() + extra);
    setFixedSize(width(), height() + extra);
}

void ThemedDialog::pinWordsAfterPath(WholeText* text) {
    const qsizetype wordsStart = WholeText::wordsAfterLastPath(text->text());
    if (wordsStart < 0) {
        return;
    }
    const QString words = text->text().mid(wordsStart);
    QScrollArea* area = text->area();
    QRect scrolled = area->geometry();
    WholeText* pinned = placeWholeText(this, words, {});
    pinned->setObjectName(text->objectName() + QStringLiteral("-end"));
    const int wordsHeight = pinned->heightForWidth(scrolled.width());
    // Words that would take most of the room themselves scroll with the rest.
    if (wordsHeight > scrolled.height() / 2) {
        delete pinned->area();
        return;
    }
    text->showOnly(static_cast<int>(wordsStart));
    scrolled.setHeight(scrolled.height() - wordsHeight);
    area->setGeometry(scrolled);
    pinned->area()->setGeometry(scrolled.left(), scrolled.bottom() + 1, scrolled.width(), wordsHeight);
}

#include "app/themed_dialog.h"

#include "app/pictures.h"
#include "app/whole_text.h"

#include <QPainter>
#include <QScreen>
#include <QScrollArea>

#include <algorithm>

namespace {
// Room left for the window frame and caption around a dialog.
constexpr int kFrameAllowance = 48;
} // namespace

ThemedDialog::ThemedDialog(int widthUnits, int heightUnits, int backgroundId, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      backgroundId_(backgroundId), layout_(this, DialogUnits(dialogFont())) {
    setWindowTitle(QStringLiteral("Quillbox Reader"));
    setFont(dialogFont());
    setFixedSize(layout_.units().size(widthUnits, heightUnits));
    setModal(true);
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
    const int extra = std::min(needed, room);
    if (extra <= 0) {
        return;
    }
    const int areaBottom = area->geometry().bottom();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->y() > areaBottom) {
            child->move(child->x(), child->y() + extra);
        }
    }
    area->resize(area->width(), area->height() + extra);
    setFixedSize(width(), height() + extra);
}

#include "app/themed_dialog.h"

#include "app/pictures.h"

#include <QPainter>

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

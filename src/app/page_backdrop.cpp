#include "app/page_backdrop.h"

#include "app/pictures.h"

#include <QPainter>

namespace {
// The colour the page pictures fade into at their right and bottom edges.
const QColor pageEdge(214, 229, 225);
} // namespace

PageBackdrop::PageBackdrop(int smallId, int largeId, QWidget* parent)
    : QWidget(parent), smallId_(smallId), largeId_(largeId) {}

int PageBackdrop::pictureId() const {
    return pictures::bySize(this, smallId_, largeId_);
}

void PageBackdrop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), pageEdge);
    painter.drawPixmap(0, 0, pictures::pixmap(pictureId()));
}

#include "app/on_screen.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

QMargins frameOf(const QWidget* window) {
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    if (!window->isVisible() || outer == inner) {
        return guessedFrame;
    }
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

bool isResizable(const QWidget* window) {
    return window->minimumSize() != window->maximumSize();
}

} // namespace

QRect placedInside(QRect wanted, QMargins frame, const QRect& available, bool resizable) {
    const QRect room = available.marginsRemoved(frame);
    if (resizable) {
        wanted.setSize(wanted.size().boundedTo(room.size()));
    }
    // A window larger than the room (one of fixed size) shows its top left corner, caption first.
    wanted.moveLeft(std::max(room.left(), std::min(wanted.left(), room.right() + 1 - wanted.width())));
    wanted.moveTop(std::max(room.top(), std::min(wanted.top(), room.bottom() + 1 - wanted.height())));
    return wanted;
}

void keepOnScreen(QWidget* window) {
    const QRect placed = placedInside(window->geometry(), frameOf(window),
                                      window->screen()->availableGeometry(), isResizable(window));
    if (placed != window->geometry()) {
        window->setGeometry(placed);
    }
}

void placeOver(QWidget* window, const QWidget* over) {
    if (over != nullptr) {
        window->setScreen(over->screen());
        // A window never resized yet takes the size it asks for.
        QRect centred(QPoint(), window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint());
        centred.moveCenter(over->frameGeometry().center());
        window->setGeometry(centred);
    }
    keepOnScreen(window);
}

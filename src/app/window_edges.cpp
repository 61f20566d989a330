#include "app/window_edges.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWindow>

namespace {

Qt::CursorShape cursorFor(Qt::Edges edges) {
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge)) {
        return Qt::SizeFDiagCursor;
    }
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge)) {
        return Qt::SizeBDiagCursor;
    }
    return (edges & (Qt::LeftEdge | Qt::RightEdge)) ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

// geometry with the given edges moved by delta, never below the window's minimum size.
QRect resized(QRect geometry, Qt::Edges edges, QPoint delta, QSize minimum) {
    if (edges & Qt::LeftEdge) {
        geometry.setLeft(std::min(geometry.left() + delta.x(), geometry.right() + 1 - minimum.width()));
    }
    if (edges & Qt::RightEdge) {
        geometry.setRight(std::max(geometry.right() + delta.x(), geometry.left() - 1 + minimum.width()));
    }
    if (edges & Qt::TopEdge) {
        geometry.setTop(std::min(geometry.top() + delta.y(), geometry.bottom() + 1 - minimum.height()));
    }
    if (edges & Qt::BottomEdge) {
        geometry.setBottom(std::max(geometry.bottom() + delta.y(), geometry.top() - 1 + minimum.height()));
    }
    return geometry;
}

} // namespace

EdgeHandle::EdgeHandle(QWidget* window, Qt::Edges edges) : QWidget(window), window_(window), edges_(edges) {
    setCursor(cursorFor(edges));
    setAttribute(Qt::WA_NoSystemBackground);
}

void EdgeHandle::place() {
    const bool sideways = edges_ & (Qt::LeftEdge | Qt::RightEdge);
    const bool upDown = edges_ & (Qt::TopEdge | Qt::BottomEdge);
    // Corners reach twice as far as an edge is thick, so they are easy to catch.
    const int reach = sideways && upDown ? 2 * thickness : thickness;
    const int width = sideways ? reach : window_->width();
    // Along the top the handles stay above the caption buttons, which start 2 pixels down.
    const int height = (edges_ & Qt::TopEdge) ? topThickness : upDown ? reach : window_->height();
    setGeometry((edges_ & Qt::RightEdge) ? window_->width() - width : 0,
                (edges_ & Qt::BottomEdge) ? window_->height() - height : 0, width, height);
    raise();
}

void EdgeHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    QWindow* handle = window_->windowHandle();
    dragging_ = handle == nullptr || !handle->startSystemResize(edges_);
    pressPosition_ = event->globalPosition().toPoint();
    pressGeometry_ = window_->geometry();
}

void EdgeHandle::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        window_->setGeometry(resized(pressGeometry_, edges_,
                                     event->globalPosition().toPoint() - pressPosition_,
                                     window_->minimumSize()));
    }
}

void EdgeHandle::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

WindowEdges::WindowEdges(QWidget* window) : QObject(window), window_(window) {
    for (Qt::Edges edges : {Qt::Edges(Qt::TopEdge), Qt::Edges(Qt::BottomEdge), Qt::Edges(Qt::LeftEdge),
                            Qt::Edges(Qt::RightEdge), Qt::TopEdge | Qt::LeftEdge, Qt::TopEdge | Qt::RightEdge,
                            Qt::BottomEdge | Qt::LeftEdge}) {
        handles_.append(new EdgeHandle(window, edges));
    }
    window->installEventFilter(this);
}

bool WindowEdges::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::ChildAdded:
            for (EdgeHandle* handle : handles_) {
                handle->place();
            }
            break;
        case QEvent::WindowStateChange:
            // A maximized window has no border to drag.
            for (EdgeHandle* handle : handles_) {
                handle->setVisible(!window_->isMaximized() && !window_->isFullScreen());
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

#pragma once
// Resizing a frameless window from each of its edges and corners: thin transparent handles along
// the border that show the resize cursor and hand the drag to the window system.
#include <QWidget>

class EdgeHandle : public QWidget {
    Q_OBJECT
public:
    static constexpr int thickness = 4;
    static constexpr int topThickness = 2;

    EdgeHandle(QWidget* window, Qt::Edges edges);

    Qt::Edges edges() const { return edges_; }
    // Puts the handle on its part of the window's border.
    void place();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* window_;
    Qt::Edges edges_;
    // Without a window system that resizes (no window manager), the handle resizes by itself.
    bool dragging_ = false;
    QPoint pressPosition_;
    QRect pressGeometry_;
};

// The handles of window along its four edges and three of its corners (the fourth has the size
// grip), kept on its border as it resizes and hidden while it is maximized.
class WindowEdges : public QObject {
    Q_OBJECT
public:
    explicit WindowEdges(QWidget* window);

    const QList<EdgeHandle*>& handles() const { return handles_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QList<EdgeHandle*> handles_;
};

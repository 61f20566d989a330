#include "app/task_strip.h"

#include "app/pictures.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace {

const QColor stripBackground(111, 142, 137);
constexpr int bannerSmall = 132;
constexpr int bannerLarge = 168;
// The tasks start at (155, 10), one every 58 pixels; their pictures are 54 by 54.
constexpr int firstLeft = 155;
constexpr int top = 10;
constexpr int spacing = 58;
constexpr int pictureSize = 54;

struct TaskPictures {
    int normal;
    int chosen;
};
constexpr TaskPictures taskPictures[TaskStrip::taskCount] = {
    {139, 176}, // green padlock with key / gold
    {145, 177}, // green certificate / gold
    {137, 178}, // green question mark / gold
};

} // namespace

TaskStrip::TaskStrip(QWidget* parent) : QWidget(parent) {
    setFixedHeight(stripHeight);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QString TaskStrip::toolTipOf(int task) {
    switch (task) {
    case VerifyDecrypt:
        return QStringLiteral("Verify/Decrypt");
    case GetCertificate:
        return QStringLiteral("Get a Digital Certificate");
    case Help:
        return QStringLiteral("Quillbox Reader Help");
    default:
        return {};
    }
}

int TaskStrip::bannerId() const {
    return pictures::bySize(this, bannerSmall, bannerLarge);
}

QRect TaskStrip::taskRect(int task) const {
    return {firstLeft + task * spacing, top, pictureSize, pictureSize};
}

int TaskStrip::taskAt(QPoint position) const {
    for (int task = 0; task < taskCount; ++task) {
        if (taskRect(task).contains(position)) {
            return task;
        }
    }
    return -1;
}

int TaskStrip::pictureOf(int task) const {
    return task == chosen_ ? taskPictures[task].chosen : taskPictures[task].normal;
}

void TaskStrip::ResetTasks() {
    if (chosen_ != -1) {
        chosen_ = -1;
        update();
    }
}

void TaskStrip::select(int task) {
    if (helpOnly_ && task != Help) {
        return;
    }
    // Every change of selection brings back the normal pictures.
    if (task != selected_) {
        selected_ = task;
        ResetTasks();
        update();
    }
}

void TaskStrip::activate(int task) {
    if (task < 0 || task >= taskCount || (helpOnly_ && task != Help)) {
        return;
    }
    select(task);
    chosen_ = task;
    update();
    emit taskActivated(task);
}

void TaskStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), stripBackground);
    painter.drawPixmap(0, 0, pictures::pixmap(bannerId()));
    for (int task = 0; task < taskCount; ++task) {
        const QRect r = taskRect(task);
        if (task == selected_ && hasFocus()) {
            painter.setPen(QPen(QColor(255, 255, 255, 140), 1, Qt::DotLine));
            painter.drawRect(r.adjusted(-2, -2, 1, 1));
        }
        painter.drawPixmap(r.topLeft(), pictures::pixmap(pictureOf(task), r.size()));
    }
}

void TaskStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = taskAt(event->position().toPoint());
        select(pressed_);
    }
    QWidget::mousePressEvent(event);
}

void TaskStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int task = taskAt(event->position().toPoint());
        if (task != -1 && task == pressed_) {
            activate(task);
        }
        pressed_ = -1;
    }
    QWidget::mouseReleaseEvent(event);
}

void TaskStrip::mouseMoveEvent(QMouseEvent* event) {
    setCursor(taskAt(event->position().toPoint()) != -1 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

void TaskStrip::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        select(selected_ <= 0 ? 0 : selected_ - 1);
        break;
    case Qt::Key_Right:
        select(selected_ < 0 ? 0 : std::min(selected_ + 1, taskCount - 1));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        activate(selected_);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
}

bool TaskStrip::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int task = taskAt(help->pos());
        if (task != -1) {
            QToolTip::showText(help->globalPos(), toolTipOf(task), this, taskRect(task));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        update();
    }
    return QWidget::event(event);
}

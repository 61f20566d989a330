#include "app/help_window.h"

#include "app/manual_browser.h"
#include "app/pictures.h"

#include <QApplication>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

QUrl HelpWindow::manualUrl() {
    return QUrl(QStringLiteral("qrc:/docs/index.html"));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new ManualBrowser(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title());
    setWindowIcon(pictures::applicationIcon());
    browser_->setOpenExternalLinks(true);
    browser_->setSource(manualUrl());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(860, 680);
}

HelpWindow* HelpWindow::findOpen() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* help = qobject_cast<HelpWindow*>(widget);
        if (help != nullptr && help->isVisible() && help->windowTitle() == title()) {
            return help;
        }
    }
    return nullptr;
}

HelpWindow* HelpWindow::showHelp(const QWidget* over) {
    if (HelpWindow* open = findOpen()) {
        open->showMaximized();
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* help = new HelpWindow;
    if (over != nullptr) {
        const QRect screen = over->screen()->availableGeometry();
        QRect placed(QPoint(), help->size().boundedTo(screen.size()));
        placed.moveCenter(over->frameGeometry().center());
        // Inside the screen even when the main window hangs over its edge.
        placed.moveLeft(std::clamp(placed.left(), screen.left(), screen.right() + 1 - placed.width()));
        placed.moveTop(std::clamp(placed.top(), screen.top(), screen.bottom() + 1 - placed.height()));
        help->setGeometry(placed);
    }
    help->show();
    return help;
}

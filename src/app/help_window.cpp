#include "app/help_window.h"

#include <QApplication>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

QUrl HelpWindow::manualUrl() {
    return QUrl(QStringLiteral("qrc:/docs/index.html"));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title());
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

HelpWindow* HelpWindow::showHelp() {
    if (HelpWindow* open = findOpen()) {
        open->showMaximized();
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* help = new HelpWindow;
    help->show();
    return help;
}

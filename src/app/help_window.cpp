#include "app/help_window.h"

#include "app/manual_browser.h"
#include "app/on_screen.h"
#include "app/pictures.h"
#include "app/program_palette.h"

#include <QApplication>
#include <QUrl>
#include <QVBoxLayout>

QUrl HelpWindow::manualUrl() {
    return QUrl(QStringLiteral("qrc:/docs/index.html"));
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new ManualBrowser(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title());
    setPalette(programPalette());
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
    // Over the main window, and inside the screen even when the main window hangs over its edge.
    placeOver(help, over);
    help->show();
    return help;
}

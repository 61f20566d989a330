#pragma once
// The program's own help window, showing the user manual.
#include <QWidget>

class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static QString title() { return QStringLiteral("Quillbox Reader Help"); }
    // Where the manual starts.
    static QUrl manualUrl();

    explicit HelpWindow(QWidget* parent = nullptr);

    QTextBrowser* browser() const { return browser_; }

    // Brings an open help window forward, maximized; otherwise opens a new one in a normal
    // window centred over `over` (when given) and inside its screen. Returns the window shown.
    static HelpWindow* showHelp(const QWidget* over = nullptr);
    // The open help window, found among the program's windows by its title; null when none.
    static HelpWindow* findOpen();

private:
    QTextBrowser* browser_;
};

#pragma once
// The text browser that shows the manual. The manual names the program's pictures by their SVG
// files; they come from the program's own pictures, so they show where Qt cannot read SVG too.
#include <QTextBrowser>

class ManualBrowser : public QTextBrowser {
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override;
};

#pragma once
// A static text that is never cut silently: it wraps at spaces, after "/" and "\" (so a path
// breaks between its parts), and anywhere inside a word too long for a line. It sits in a scroll
// area, which its dialog grows to fit; what does not fit on the screen scrolls. text() stays the
// text as given.
#include <QLabel>

class QScrollArea;

class WholeText : public QLabel {
    Q_OBJECT
public:
    explicit WholeText(const QString& text, QWidget* parent = nullptr);

    // The scroll area that holds the text.
    QScrollArea* area() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The text as it is laid out: a break opportunity after each path separator.
    static QString breakable(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Puts text in a frameless, transparent scroll area of the given geometry (a child of host).
WholeText* placeWholeText(QWidget* host, const QString& text, const QRect& geometry);

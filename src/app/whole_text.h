#pragma once
// A static text that is never cut silently: each line break starts a new line, and a line wraps at
// spaces, after "/" and "\" (so a path breaks between its parts), and anywhere inside a word too
// long for a line. It sits in a scroll area, which its dialog grows to fit; what does not fit on
// the screen scrolls. text() stays the text as given.
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

    // Shows only the first length characters of the text (its end is shown elsewhere); -1: all.
    void showOnly(int length);
    // The part of the text that is shown here.
    QString shownText() const;
    // The widths of the lines as they are painted at the text's present width.
    QList<qreal> paintedLineWidths() const;

    // The text as it is laid out: a break opportunity after each path separator, and each line
    // break (but a last one) a line separator.
    static QString breakable(const QString& text);
    // Where the words after the last path in text (the question or remark that follows it) begin;
    // -1 when no words follow a path.
    static qsizetype wordsAfterLastPath(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect() const;

    int shownLength_ = -1;
};

// Puts text in a frameless, transparent scroll area of the given geometry (a child of host).
WholeText* placeWholeText(QWidget* host, const QString& text, const QRect& geometry);

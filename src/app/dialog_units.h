#pragma once
// Dialog layouts are given in dialog units of the dialog font; this turns them into pixels the
// way Windows does: x by a quarter of the average character width, y by an eighth of the height.
#include <QFont>
#include <QRect>
#include <QSize>

// "MS Sans Serif" at 8 points; without it, the installed stand-in nearest to its average
// character width (chosen once).
QFont dialogFont();

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int baseX() const { return baseX_; }
    int x(int units) const;
    int y(int units) const;
    QSize size(int width, int height) const { return {x(width), y(height)}; }
    QRect rect(int left, int top, int width, int height) const;

private:
    int baseX_;
    int baseY_;
};

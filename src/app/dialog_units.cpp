#include "app/dialog_units.h"

#include <QFontMetrics>

namespace {

// Windows' MulDiv: the product divided with rounding to the nearest.
int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

} // namespace

QFont dialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (alphabet / 26 + 1) / 2;
    baseY_ = metrics.height();
}

int DialogUnits::x(int units) const {
    return mulDiv(units, baseX_, 4);
}

int DialogUnits::y(int units) const {
    return mulDiv(units, baseY_, 8);
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return {x(left), y(top), x(width), y(height)};
}

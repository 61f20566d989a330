#include "app/dialog_units.h"

#include <QFontInfo>
#include <QFontMetrics>

#include <cstdlib>

namespace {

// Windows' MulDiv: the product divided with rounding to the nearest.
int mulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

QFont eightPoint(const QString& family) {
    QFont font(family);
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The layouts were drawn for "MS Sans Serif" 8 point, whose dialog base units are 6 by 13 pixels at
// 96 dots per inch.
constexpr int designedBaseX = 6;
constexpr int dotsPerInch = 96;

// Without the face itself, a face as wide on average keeps every dialog at its designed size; a
// wider stand-in (the usual fallback) makes every dialog about a sixth larger. Faces metric-
// compatible with the Windows sans serif faces come first; the first installed one of the right
// width wins, else the installed one nearest in width.
QFont chooseDialogFont() {
    const QFont designed = eightPoint(QStringLiteral("MS Sans Serif"));
    if (QFontInfo(designed).family().compare(designed.family(), Qt::CaseInsensitive) == 0) {
        return designed;
    }
    const int dpi =
        QFontMetrics(designed).fontDpi() > 0 ? qRound(QFontMetrics(designed).fontDpi()) : dotsPerInch;
    const int target = (designedBaseX * dpi + dotsPerInch / 2) / dotsPerInch;
    QFont best = designed;
    int bestDistance = std::abs(DialogUnits(designed).baseX() - target);
    for (const char* family :
         {"Microsoft Sans Serif", "Liberation Sans", "Arimo", "Arial", "DejaVu Sans Condensed"}) {
        const QFont candidate = eightPoint(QString::fromLatin1(family));
        if (QFontInfo(candidate).family().compare(candidate.family(), Qt::CaseInsensitive) != 0) {
            continue; // not installed
        }
        const int distance = std::abs(DialogUnits(candidate).baseX() - target);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

QFont dialogFont() {
    // The family only: a font kept past the application's end would outlive the font database.
    static const QString family = chooseDialogFont().family();
    return eightPoint(family);
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

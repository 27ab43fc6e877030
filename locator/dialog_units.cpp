#include "locator/dialog_units.h"

#include <QFontMetrics>
#include <QString>

namespace kovr::locator {

namespace {

// The classic average: the width of the 52 Latin letters over 52, rounded.
int AverageCharWidthOf(const QFontMetrics &metrics)
{
    static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return (metrics.horizontalAdvance(kLetters) / 26 + 1) / 2;
}

// units * base / divisor, rounded to the nearest pixel.
int Scale(int units, int base, int divisor)
{
    const long long product = static_cast<long long>(units) * base;
    const long long half = divisor / 2;
    return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

} // namespace

DialogUnits::DialogUnits(const QFont &font)
    : DialogUnits(AverageCharWidthOf(QFontMetrics(font)), QFontMetrics(font).height())
{}

DialogUnits::DialogUnits(int averageCharWidth, int charHeight)
    : averageCharWidth_(averageCharWidth), charHeight_(charHeight)
{}

int DialogUnits::ToPixelsX(int units) const
{
    return Scale(units, averageCharWidth_, 4);
}

int DialogUnits::ToPixelsY(int units) const
{
    return Scale(units, charHeight_, 8);
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const
{
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

} // namespace kovr::locator

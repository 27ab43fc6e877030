#pragma once

#include <QFont>
#include <QRect>

namespace kovr::locator {

// Dialog units scale with the dialog's font: a horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font);
    DialogUnits(int averageCharWidth, int charHeight);

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

    int AverageCharWidth() const { return averageCharWidth_; }
    int CharHeight() const { return charHeight_; }

private:
    int averageCharWidth_;
    int charHeight_;
};

} // namespace kovr::locator

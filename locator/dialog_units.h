#ifndef KOVR_LOCATOR_DIALOG_UNITS_H
#define KOVR_LOCATOR_DIALOG_UNITS_H

#include <QFont>
#include <QRect>

// Dialog units scale with the dialog's font: a horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font);
    DialogUnits(int averageCharWidth, int charHeight);

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

    int AverageCharWidth() const { return m_averageCharWidth; }
    int CharHeight() const { return m_charHeight; }

private:
    int m_averageCharWidth;
    int m_charHeight;
};

#endif

#pragma once

#include <QColor>

// Colours of the three acceleration axes wherever bursts are drawn.
struct axis_palette
{
    QColor x;
    QColor y;
    QColor z;

    const QColor& of(int axis) const { return axis == 0 ? x : axis == 1 ? y : z; }

    // Pure red, green and blue, the program's long-standing colours.
    static axis_palette standard();
    // Vermillion, bluish green and blue of the Okabe-Ito palette, told apart with any colour vision.
    static axis_palette colour_blind_safe();
};

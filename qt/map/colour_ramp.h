#pragma once

#include <QRgb>

// The ramp a track's values are coloured on: plasma-like, dark blue (0) through magenta to orange
// (1), rising in lightness (so grey print and colour-blind eyes tell it apart) but stopping short of
// yellow, which a one-pixel line on light map tiles would lose; 256 steps. NaN (no value) is mid grey.
class colour_ramp
{
public:
    static QRgb at(double position);
};

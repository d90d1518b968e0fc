#pragma once

#include <QString>

// A metric scale bar: the longest round length (1, 2 or 5 times a power of ten metres) whose bar
// fits in max_pixels at the given ground resolution.
struct scale_bar
{
    double metres = 0; // 0 when no round length fits (or the resolution is unusable)
    double pixels = 0; // metres / metres_per_pixel
    QString label;     // "500 m", "2 km"; empty with metres 0

    static scale_bar choose(double metres_per_pixel, double max_pixels);
};

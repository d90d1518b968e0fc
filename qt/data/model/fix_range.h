#pragma once

#include <cmath>

// The values a GPS fix is read within. A position outside them is no place on earth (a damaged field,
// or a number a reader would turn into a date in another age), so its fix is left out; a height
// outside them is taken as missing. Both are counted in fixes_left_out.
namespace fix_range {

// Latitude within ±90°, longitude within ±180°; false for what is not a number.
inline bool placed(double longitude, double latitude)
{
    return std::abs(latitude) <= 90 && std::abs(longitude) <= 180;
}

// Metres above the ellipsoid, generously: below the deepest land to far above any bird.
inline bool height_within(double metres)
{
    return metres >= -1000 && metres <= 100000;
}

} // namespace fix_range

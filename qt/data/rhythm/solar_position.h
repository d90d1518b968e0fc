#pragma once

#include <QtGlobal>

// NOAA's solar position equations (the Solar Calculator's spreadsheet): sunrise and sunset are the
// times the sun's centre crosses a zenith of 90.833° (refraction and the sun's radius included).
namespace solar_position {

constexpr double sunrise_zenith_deg = 90.833;

// The sun's zenith angle in degrees at t (ms UTC) seen from latitude lat, longitude lon (east positive).
double zenith_deg(qint64 t, double lat, double lon);

// The sun on one day: its rise and set around one solar noon, or neither.
struct sun_day
{
    enum kind_t { rises_and_sets, polar_day, polar_night };
    kind_t kind = rises_and_sets;
    qint64 sunrise = 0; // ms UTC, only with rises_and_sets
    qint64 sunset = 0;
    qint64 noon = 0; // ms UTC of the solar noon the day is built around
};

// Sunrise and sunset around the solar noon nearest to near (ms UTC) at lat, lon. In polar day or
// polar night there is neither, and kind says which.
sun_day day_around(qint64 near, double lat, double lon);

} // namespace solar_position

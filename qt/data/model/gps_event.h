#pragma once

#include <QtGlobal>

#include <limits>

// One accepted GPS fix.
struct gps_event
{
    qint64 timestamp; // ms since 1970-01-01T00:00:00 UTC
    double longitude; // degrees east, as written in the file
    double latitude;  // degrees north, as written in the file
    // metres above the ellipsoid; NaN where the file has no height column or the field is empty
    double height = std::numeric_limits<double>::quiet_NaN();
};

#pragma once

#include "data/io/floor_div.h"

#include <QtGlobal>

#include <string>

// Web Mercator tile arithmetic: 256-pixel tiles, levels 0 to 18, map pixel (0, 0) at
// the north-west corner, y growing southwards. All map code uses these rules.

// 2^level in extended precision (square-and-multiply over |level|; 1 / 2^|level| when negative).
long double power_of_two(int level);

// The constants of one level, handed to map layers when they paint.
struct map_scale
{
    double tile_size;         // 256.0
    double factor;            // 2^level
    double map_size;          // 256 * 2^level: world width and height in map pixels
    double pixels_per_radian; // map_size / 2pi
};

map_scale make_scale(int level);

// The latitude where the square Web Mercator world ends (about 85.0511 degrees).
constexpr double max_map_latitude = 85.05112877980659;

// A latitude held inside -max_map_latitude ... max_map_latitude; +-90 degrees and beyond would
// project to infinity. NaN stays NaN.
double clamp_latitude(double latitude);

// Geographic position (decimal degrees) to map pixels at the scale's level, as doubles. Latitudes
// are clamped first, so the poles land on the world's top and bottom edges.
double longitude_to_map_x(double longitude, const map_scale& scale);
double latitude_to_map_y(double latitude, const map_scale& scale);

// Geographic position to Mercator units (0 ... 1 across the world, latitudes clamped): the map
// pixel at a level is unit * map_size. Lets a layer project its fixes once for every level.
double longitude_to_unit_x(double longitude);
double latitude_to_unit_y(double latitude);

// Mercator units back to a geographic position (decimal degrees).
double unit_x_to_longitude(double unit_x);
double unit_y_to_latitude(double unit_y);

// Metres on the ground per map pixel at the latitude and level (WGS 84 equator, 256-pixel tiles).
double ground_resolution(double latitude, int level);

// The column reduced into 0 ... 2^level - 1: the world repeats east and west without end.
qint32 wrap_column(qint64 column, int level);

// "column_row_level" in plain decimal: the tile table's key and the cache file's name.
std::string tile_key(qint32 x, qint32 y, qint32 level);

// A map pixel (64-bit, at the current level).
struct map_pixel
{
    qint64 x;
    qint64 y;
};

// The tiles to paint for one widget size: columns c0 ... c1 and rows
// r0 ... r1, both inclusive, visited column by column (outer loop over columns). The far bounds
// reach half a tile past the right and bottom edges.
struct tile_range
{
    qint64 left_x; // map pixel at the widget's left edge
    qint64 top_y;  // map pixel at the widget's top edge
    qint64 c0;
    qint64 c1;
    qint64 r0;
    qint64 r1;
    qint32 tile_size;

    // Widget position of the top-left corner of tile (c, r): (256 c - left_x, 256 r - top_y),
    // in 32-bit integers.
    qint32 tile_left(qint64 c) const;
    qint32 tile_top(qint64 r) const;
    // Number of tiles in the range (0 when empty).
    qint64 count() const;
};

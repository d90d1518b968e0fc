#include "tiles/tile_math.h"

#include <cmath>
#include <sstream>

namespace {
const double radians_per_degree = 0.017453292519943295;
const double two_pi = 6.283185307179586;
} // namespace

long double power_of_two(int level)
{
    unsigned int bits = level < 0 ? 0u - static_cast<unsigned int>(level) : static_cast<unsigned int>(level);
    long double result = 1.0L;
    long double base = 2.0L;
    while (bits != 0) {
        if (bits & 1u)
            result *= base;
        base *= base;
        bits >>= 1;
    }
    return level < 0 ? 1.0L / result : result;
}

map_scale make_scale(int level)
{
    map_scale scale;
    scale.tile_size = 256.0;
    scale.factor = static_cast<double>(power_of_two(level));
    scale.map_size = scale.tile_size * scale.factor;
    scale.pixels_per_radian = scale.map_size / two_pi;
    return scale;
}

double clamp_latitude(double latitude)
{
    if (latitude > max_map_latitude)
        return max_map_latitude;
    if (latitude < -max_map_latitude)
        return -max_map_latitude;
    return latitude;
}

double longitude_to_map_x(double longitude, const map_scale& scale)
{
    return scale.map_size / 2 + longitude * radians_per_degree * scale.pixels_per_radian;
}

double latitude_to_map_y(double latitude, const map_scale& scale)
{
    const double s = std::sin(clamp_latitude(latitude) * radians_per_degree);
    return scale.map_size / 2 - 0.5 * std::log((1 + s) / (1 - s)) * scale.pixels_per_radian;
}

double longitude_to_unit_x(double longitude)
{
    return 0.5 + longitude * radians_per_degree / two_pi;
}

double latitude_to_unit_y(double latitude)
{
    const double s = std::sin(clamp_latitude(latitude) * radians_per_degree);
    return 0.5 - 0.5 * std::log((1 + s) / (1 - s)) / two_pi;
}

double unit_x_to_longitude(double unit_x)
{
    return (unit_x - 0.5) * 360.0;
}

double unit_y_to_latitude(double unit_y)
{
    return std::atan(std::sinh((0.5 - unit_y) * two_pi)) / radians_per_degree;
}

double ground_resolution(double latitude, int level)
{
    constexpr double equator_metres = 40075016.685578488; // 2 pi times the WGS 84 semi-major axis
    return equator_metres * std::cos(clamp_latitude(latitude) * radians_per_degree) /
           (256.0 * static_cast<double>(power_of_two(level)));
}

qint32 wrap_column(qint64 column, int level)
{
    const qint64 n = static_cast<qint64>(power_of_two(level));
    if (column < 0)
        column += ((-column + n - 1) / n) * n; // the same as adding n until it is not negative
    if (column >= n)
        column %= n; // the same as subtracting n while it is n or more
    return static_cast<qint32>(column);
}

std::string tile_key(qint32 x, qint32 y, qint32 level)
{
    std::ostringstream key;
    key << x << "_" << y << "_" << level;
    return key.str();
}

qint32 tile_range::tile_left(qint64 c) const
{
    return static_cast<qint32>(tile_size * (c - c0) + (tile_size * c0 - left_x));
}

qint32 tile_range::tile_top(qint64 r) const
{
    return static_cast<qint32>(tile_size * (r - r0) + (tile_size * r0 - top_y));
}

qint64 tile_range::count() const
{
    if (c1 < c0 || r1 < r0)
        return 0;
    return (c1 - c0 + 1) * (r1 - r0 + 1);
}

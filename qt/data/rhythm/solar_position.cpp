#include "data/rhythm/solar_position.h"

#include <algorithm>
#include <cmath>

namespace solar_position {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double day_ms = 86400000.0;

double rad(double deg)
{
    return deg * pi / 180;
}

double deg(double r)
{
    return r * 180 / pi;
}

// Declination (degrees) and equation of time (minutes) at t, NOAA's spreadsheet step by step.
struct sun_state
{
    double declination;
    double equation_of_time;
};

sun_state state_at(double t)
{
    const double jd = t / day_ms + 2440587.5;
    const double jc = (jd - 2451545) / 36525;
    const double l0 = std::fmod(280.46646 + jc * (36000.76983 + jc * 0.0003032), 360);
    const double m = 357.52911 + jc * (35999.05029 - 0.0001537 * jc);
    const double e = 0.016708634 - jc * (0.000042037 + 0.0000001267 * jc);
    const double c = std::sin(rad(m)) * (1.914602 - jc * (0.004817 + 0.000014 * jc)) +
                     std::sin(rad(2 * m)) * (0.019993 - 0.000101 * jc) + std::sin(rad(3 * m)) * 0.000289;
    const double omega = rad(125.04 - 1934.136 * jc);
    const double lambda = l0 + c - 0.00569 - 0.00478 * std::sin(omega);
    const double eps0 = 23 + (26 + (21.448 - jc * (46.815 + jc * (0.00059 - jc * 0.001813))) / 60) / 60;
    const double eps = eps0 + 0.00256 * std::cos(omega);
    const double decl = deg(std::asin(std::sin(rad(eps)) * std::sin(rad(lambda))));
    const double y = std::pow(std::tan(rad(eps / 2)), 2);
    const double eqt =
        4 * deg(y * std::sin(2 * rad(l0)) - 2 * e * std::sin(rad(m)) +
                4 * e * y * std::sin(rad(m)) * std::cos(2 * rad(l0)) - 0.5 * y * y * std::sin(4 * rad(l0)) -
                1.25 * e * e * std::sin(2 * rad(m)));
    return {decl, eqt};
}

// Cosine of the hour angle at which the sun crosses the rise zenith; beyond ±1 it never does.
double rise_cos(double lat, double decl)
{
    return std::cos(rad(sunrise_zenith_deg)) / (std::cos(rad(lat)) * std::cos(rad(decl))) -
           std::tan(rad(lat)) * std::tan(rad(decl));
}

// Solar noon (ms UTC) of the UTC day starting at day0, with the sun's state taken at t.
double noon_of(double day0, double lon, double t)
{
    return day0 + (720 - 4 * lon - state_at(t).equation_of_time) * 60000;
}

} // namespace

double zenith_deg(qint64 t, double lat, double lon)
{
    const sun_state s = state_at(static_cast<double>(t));
    const double minutes = std::fmod(static_cast<double>(t), day_ms) / 60000;
    const double true_solar = minutes + s.equation_of_time + 4 * lon;
    const double hour_angle = true_solar / 4 - 180;
    const double cz = std::sin(rad(lat)) * std::sin(rad(s.declination)) +
                      std::cos(rad(lat)) * std::cos(rad(s.declination)) * std::cos(rad(hour_angle));
    return deg(std::acos(std::max(-1.0, std::min(1.0, cz))));
}

sun_day day_around(qint64 near, double lat, double lon)
{
    // The UTC day whose solar noon (12:00 minus 4 min per degree east) lies nearest to near.
    const double guess = static_cast<double>(near) + lon * 240000;
    const double day0 = std::floor(guess / day_ms) * day_ms;
    double noon = noon_of(day0, lon, day0 + day_ms / 2);
    noon = noon_of(day0, lon, noon);
    sun_day day;
    day.noon = std::llround(noon);
    // Each event is computed again with the sun's state at its own time.
    const auto event = [&](double sign, double& at) {
        at = noon;
        for (int i = 0; i < 3; ++i) {
            const sun_state s = state_at(at);
            const double c = rise_cos(lat, s.declination);
            if (c > 1 || c < -1)
                return c;
            const double n = day0 + (720 - 4 * lon - s.equation_of_time) * 60000;
            at = n + sign * 4 * deg(std::acos(c)) * 60000;
        }
        return 0.0;
    };
    double rise = 0, set = 0;
    const double cr = event(-1, rise);
    const double cs = event(1, set);
    if (cr > 1 || cs > 1) {
        day.kind = sun_day::polar_night;
    } else if (cr < -1 || cs < -1) {
        day.kind = sun_day::polar_day;
    } else {
        day.sunrise = std::llround(rise);
        day.sunset = std::llround(set);
    }
    return day;
}

} // namespace solar_position

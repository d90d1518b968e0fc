#include "data/tracks/fix_values.h"

#include "data/model/event_space.h"
#include "data/model/gps_event.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double no_value = std::numeric_limits<double>::quiet_NaN();
constexpr double earth_radius_m = 6371008.8; // the IUGG mean radius

double radians(double degrees)
{
    return degrees * (M_PI / 180.0);
}

} // namespace

double fix_values::distance_m(double lon1, double lat1, double lon2, double lat2)
{
    const double s_lat = std::sin(radians(lat2 - lat1) / 2), s_lon = std::sin(radians(lon2 - lon1) / 2);
    const double a = s_lat * s_lat + std::cos(radians(lat1)) * std::cos(radians(lat2)) * s_lon * s_lon;
    return 2 * earth_radius_m * std::asin(std::min(1.0, std::sqrt(a)));
}

std::vector<double> fix_values::of(const event_space& fixes, track_colouring colouring)
{
    const std::vector<const gps_event*>& e = fixes.events();
    std::vector<double> values(e.size(), no_value);
    for (std::size_t i = 0; i < e.size(); ++i) {
        switch (colouring) {
        case track_colouring::time:
            values[i] = double(e[i]->timestamp);
            break;
        case track_colouring::height:
            values[i] = e[i]->height;
            break;
        case track_colouring::speed:
            if (i > 0) {
                const double hours = double(e[i]->timestamp - e[i - 1]->timestamp) / 3.6e6;
                if (hours != 0)
                    values[i] = std::abs(
                        distance_m(e[i - 1]->longitude, e[i - 1]->latitude, e[i]->longitude, e[i]->latitude) /
                        1000.0 / hours);
            }
            break;
        default:
            break;
        }
    }
    if (colouring == track_colouring::speed && values.size() > 1)
        values[0] = values[1];
    return values;
}

bool fix_values::any(const event_space& fixes, track_colouring colouring)
{
    const std::vector<const gps_event*>& e = fixes.events();
    switch (colouring) {
    case track_colouring::time:
        return !e.empty();
    case track_colouring::height:
        return std::any_of(e.begin(), e.end(), [](const gps_event* f) { return std::isfinite(f->height); });
    case track_colouring::speed:
        for (std::size_t i = 1; i < e.size(); ++i)
            if (e[i]->timestamp != e[i - 1]->timestamp &&
                std::isfinite(
                    distance_m(e[i - 1]->longitude, e[i - 1]->latitude, e[i]->longitude, e[i]->latitude)))
                return true;
        return false;
    default:
        return false;
    }
}

std::vector<double> fix_values::nearest_in_time(const event_space& fixes,
                                                const std::vector<qint64>& burst_times,
                                                const std::vector<double>& burst_values)
{
    std::vector<double> values(fixes.events().size(), no_value);
    if (burst_times.empty())
        return values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const qint64 t = fixes.events()[i]->timestamp;
        const auto after = std::lower_bound(burst_times.begin(), burst_times.end(), t);
        std::size_t k = std::size_t(after - burst_times.begin());
        if (k == burst_times.size() || (k > 0 && t - burst_times[k - 1] <= *after - t))
            --k;
        values[i] = burst_values[k];
    }
    return values;
}

std::vector<double> fix_values::behaviours(const event_space& fixes, const std::vector<qint64>& burst_times,
                                           const QStringList& labels, const QStringList& predicted,
                                           QStringList& names)
{
    std::vector<double> of_burst(burst_times.size(), no_value);
    for (std::size_t k = 0; k < of_burst.size(); ++k) {
        // A user's label wins over a prediction.
        const QString name = labels.value(int(k)).isEmpty() ? predicted.value(int(k)) : labels.value(int(k));
        if (name.isEmpty())
            continue;
        if (!names.contains(name))
            names << name;
        of_burst[k] = names.indexOf(name);
    }
    return nearest_in_time(fixes, burst_times, of_burst);
}

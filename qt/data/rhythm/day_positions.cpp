#include "data/rhythm/day_positions.h"

#include "data/model/activity_calculator.h"
#include "data/io/floor_div.h"
#include "data/model/fix_range.h"
#include "data/model/gps_event.h"

#include <algorithm>

namespace {

// The median of v (the mean of the two middle values for an even count); v is reordered.
double median(std::vector<double>& v)
{
    const std::size_t n = v.size();
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(n / 2);
    std::nth_element(v.begin(), mid, v.end());
    if (n % 2 == 1)
        return *mid;
    return *std::max_element(v.begin(), mid) / 2 + *mid / 2; // halves first: no overflow to inf
}

day_position median_of(std::vector<double>& lat, std::vector<double>& lon, bool from_day)
{
    day_position p;
    p.latitude = median(lat);
    p.longitude = median(lon);
    p.from_day = from_day;
    return p;
}

} // namespace

std::vector<day_position> day_positions(const std::vector<const gps_event*>& fixes, qint64 plot_begin,
                                        qint64 days)
{
    std::vector<std::vector<double>> lat(static_cast<std::size_t>(std::max<qint64>(days, 0)));
    std::vector<std::vector<double>> lon(lat.size());
    std::vector<double> all_lat, all_lon;
    for (const gps_event* f : fixes) {
        if (!fix_range::placed(f->longitude, f->latitude))
            continue;
        all_lat.push_back(f->latitude);
        all_lon.push_back(f->longitude);
        const qint64 d = floor_div(f->timestamp - plot_begin, activity_day_ms);
        if (d >= 0 && d < days) {
            lat[std::size_t(d)].push_back(f->latitude);
            lon[std::size_t(d)].push_back(f->longitude);
        }
    }
    std::vector<day_position> out;
    if (all_lat.empty())
        return out;
    const day_position whole = median_of(all_lat, all_lon, false);
    out.reserve(lat.size());
    for (std::size_t d = 0; d < lat.size(); ++d)
        out.push_back(lat[d].empty() ? whole : median_of(lat[d], lon[d], true));
    return out;
}

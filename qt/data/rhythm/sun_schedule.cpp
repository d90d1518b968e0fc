#include "data/rhythm/sun_schedule.h"

#include "data/model/activity_calculator.h"

sun_schedule::sun_schedule(const std::vector<day_position>& positions, qint64 plot_begin, qint64 bin_width)
    : positions_(positions)
{
    const qint64 bins_per_day = activity_day_ms / bin_width;
    days_.reserve(positions.size());
    night_.reserve(positions.size() * std::size_t(bins_per_day));
    for (std::size_t d = 0; d < positions.size(); ++d) {
        const day_position& p = positions[d];
        const qint64 start = plot_begin + qint64(d) * activity_day_ms;
        days_.push_back(solar_position::day_around(start + activity_day_ms / 2, p.latitude, p.longitude));
        for (qint64 k = 0; k < bins_per_day; ++k)
            night_.push_back(solar_position::zenith_deg(start + k * bin_width + bin_width / 2, p.latitude,
                                                        p.longitude) > solar_position::sunrise_zenith_deg);
    }
}

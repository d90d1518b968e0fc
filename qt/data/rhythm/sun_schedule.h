#pragma once

#include "data/rhythm/day_positions.h"
#include "data/rhythm/solar_position.h"

#include <QtGlobal>

#include <vector>

// The sun over the days of a plot: each day's sunrise and sunset at that day's position, and for each
// six-minute bin whether the sun is below the horizon at its middle.
class sun_schedule
{
public:
    sun_schedule() = default;
    // positions: one per day (the plot's days starting at plot_begin, ms UTC); bin_width in ms.
    sun_schedule(const std::vector<day_position>& positions, qint64 plot_begin, qint64 bin_width);

    bool empty() const { return days_.empty(); }
    // Per day: the sunrise and sunset around the solar noon nearest to the middle of the day.
    const std::vector<solar_position::sun_day>& days() const { return days_; }
    const std::vector<day_position>& positions() const { return positions_; }
    // Per bin, in time order: the sun's centre is below the rise zenith at the bin's middle.
    const std::vector<bool>& night() const { return night_; }

private:
    std::vector<day_position> positions_;
    std::vector<solar_position::sun_day> days_;
    std::vector<bool> night_;
};

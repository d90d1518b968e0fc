#pragma once

#include <QtGlobal>

#include <vector>

struct gps_event;

// Where the animal was on one day of the plot.
struct day_position
{
    double latitude = 0;
    double longitude = 0;
    bool from_day = false; // the median of the day's own fixes, not of the whole set
};

// For each of days plot days starting at plot_begin (ms UTC, one day apart): the median latitude and
// longitude of that day's fixes, or of all fixes for a day without any; fixes off the earth
// (fix_range::placed) are not counted. Empty without fixes.
std::vector<day_position> day_positions(const std::vector<const gps_event*>& fixes, qint64 plot_begin,
                                        qint64 days);

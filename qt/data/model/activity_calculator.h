#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

class burst;
class burst_space;

// Activity per six-minute bin over whole days: the mean absolute change between consecutive
// samples, averaged over the three axes. Days are UTC days, or days of the clock utc_offset ms ahead
// of UTC. Everything is computed in the constructor; the fields are only read afterwards.
class activity_calculator
{
public:
    explicit activity_calculator(const burst_space& space, qint64 utc_offset_ms = 0);

    activity_calculator(const activity_calculator&) = delete;
    activity_calculator& operator=(const activity_calculator&) = delete;

    bool too_long = false; // the span exceeds activity_max_days: no bins are computed
    qint64 plot_begin = 0; // ms UTC, 00:00 (of the offset clock) of the day holding the earliest burst
                           // (0 for no bursts)
    qint64 plot_end = 0;   // ms UTC, 00:00 of the day after the one holding the latest burst
    qint64 duration = 0;   // ms, plot_end - plot_begin: whole days
    qint64 bin_width = 360000;
    qint64 bin_count = 0;    // duration / bin_width, 240 per day
    double max_activity = 0; // largest activity, 0 if none is greater
    // The activity shaded black: the largest, but at most shade_median_factor times the (lower) median
    // of the bins above 0, so that one outlier cannot leave every other bin white. 0 without activity.
    double shade_scale = 0;
    static constexpr double shade_median_factor = 1000;
    qint64 not_finite_samples = 0; // samples with an infinite or NaN axis, left out of every bin
    std::vector<double>
        activities; // bin_count values in time order; bin k starts at plot_begin + k * bin_width

    // bin_count values: the samples each activity was computed from.
    std::vector<qint64> samples;
    // ms the plot's clock is ahead of UTC.
    qint64 utc_offset = 0;
};

// The activity a bin holding exactly the samples of b would get: the mean absolute change between
// consecutive samples, averaged over the three axes; 0 with fewer than two samples.
double burst_activity(const burst& b);

constexpr qint64 activity_day_ms = 86400000;
constexpr int activity_bins_per_day = 240;
// Longest span plotted: 20 years, an image of at most about 88 million pixels (double-plotted).
constexpr qint64 activity_max_days = 7305;

// Why the plot of space is not drawn (a span of more than activity_max_days on the clock
// utc_offset_ms ahead of UTC), or an empty text.
QString activity_plot_refusal(const burst_space& space, qint64 utc_offset_ms = 0);

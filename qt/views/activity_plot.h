#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

#include <vector>

class burst_space;

// Activity per six-minute bin over whole UTC days: the mean absolute change between consecutive
// samples, averaged over the three axes. Everything is computed in the constructor; the fields are
// only read afterwards.
class activity_calculator
{
public:
    explicit activity_calculator(const burst_space& space);

    activity_calculator(const activity_calculator&) = delete;
    activity_calculator& operator=(const activity_calculator&) = delete;

    bool too_long = false; // the span exceeds activity_max_days: no bins are computed
    qint64 plot_begin = 0; // ms, 00:00 UTC of the day holding the earliest burst (0 for no bursts)
    qint64 plot_end = 0;   // ms, 00:00 UTC of the day after the one holding the latest burst
    qint64 duration = 0;   // ms, plot_end - plot_begin: whole days
    qint64 bin_width = 360000;
    qint64 bin_count = 0;    // duration / bin_width, 240 per day
    double max_activity = 0; // largest activity, 0 if none is greater
    std::vector<double>
        activities; // bin_count values in time order; bin k starts at plot_begin + k * bin_width
};

constexpr qint64 activity_day_ms = 86400000;
constexpr int activity_bins_per_day = 240;
// Longest span plotted: 20 years, an image of about 60 million pixels.
constexpr qint64 activity_max_days = 7305;
static_assert(512 * (activity_max_days + 4) * 16 < 100000000, "the largest plot stays under 100 Mpixel");

// Why the plot of space is not drawn (a span of more than activity_max_days), or an empty text.
QString activity_plot_refusal(const burst_space& space);

// The actogram of a space: a 512-pixel-wide RGB image with a three-line header naming file_name,
// one 16-pixel row per UTC day (a one-pixel column per bin, darker for more activity), date labels
// and an hour grid. A space without bursts gives the header only; a span activity_plot_refusal names
// gives a null image.
QImage activity_plot_image(const burst_space& space, const QString& file_name);

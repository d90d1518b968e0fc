#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <vector>

class QPainter;
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
static_assert(752 * (activity_max_days + 4) * 16 < 100000000, "the largest plot stays under 100 Mpixel");

// Why the plot of space is not drawn (a span of more than activity_max_days on the clock
// utc_offset_ms ahead of UTC), or an empty text.
QString activity_plot_refusal(const burst_space& space, qint64 utc_offset_ms = 0);

// How the picture is laid out; the defaults give the plain one-day-per-row UTC plot.
struct activity_plot_options
{
    bool double_plot = false;      // each row shows day d and day d + 1
    qint32 utc_offset_minutes = 0; // hours of day on the clock this far ahead of UTC

    bool is_default() const { return !double_plot && utc_offset_minutes == 0; }
    qint64 utc_offset_ms() const { return qint64(utc_offset_minutes) * 60000; }
    // "double plot, UTC+05:30" style, naming only what differs from the defaults; empty for them.
    QString describe() const;
};

// "UTC", "UTC+05:30", "UTC-03:00".
QString activity_utc_offset_text(qint32 minutes);

// Grey level (0 black ... 255 white) of a bin of activity a when the largest activity is max.
int activity_grey(double a, double max_activity);

// Size of the picture of calc: 512 pixels wide (752 double-plotted), 16 pixels per day plus four
// rows of header.
QSize activity_plot_size(const activity_calculator& calc, const activity_plot_options& options);

// Draws the picture of calc onto a white background of activity_plot_size: a three-line header
// naming file_name, the options when not the defaults and the time generated, one 16-pixel row per
// day (a one-pixel column per bin, darker for more activity), date labels and an hour grid.
void paint_activity_plot(QPainter& p, const activity_calculator& calc, const QString& file_name,
                         const activity_plot_options& options, const QDateTime& generated);

// The picture of calc as a 24-bit RGB image; a null image for a calculator too_long, or when memory
// for the image is lacking.
QImage activity_plot_image(const activity_calculator& calc, const QString& file_name,
                           const activity_plot_options& options,
                           const QDateTime& generated = QDateTime::currentDateTime());

// The actogram of a space with the default options. A space without bursts gives the header only; a
// span activity_plot_refusal names gives a null image.
QImage activity_plot_image(const burst_space& space, const QString& file_name);

// Where an export of data_file's activity goes by default: beside it, named after it with
// "-activity." and suffix ("/data/1234_acc.txt", "csv" gives "/data/1234_acc-activity.csv").
QString activity_export_path(const QString& data_file, const QString& suffix);

#include "views/activity_plot.h"

#include "data/burst_space.h"
#include "data/dornvale_version.h"
#include "data/floor_div.h"
#include "data/trace.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace {

qint64 ceil_div(qint64 a, qint64 b)
{
    return -floor_div(-a, b);
}

// |a - b| as a float difference, or in double where that overflows (two values near the float limit).
double distance(float a, float b)
{
    const float d = std::fabs(a - b);
    return std::isinf(d) ? std::fabs(static_cast<double>(a) - static_cast<double>(b))
                         : static_cast<double>(d);
}

// Running sum of the absolute consecutive differences of the samples collected for one bin; a
// sample with an infinite or NaN axis is left out and counted.
struct bin_accumulator
{
    double sum = 0;
    qint64 n = 0;
    qint64 not_finite = 0;
    float px = 0, py = 0, pz = 0;

    void add(float x, float y, float z)
    {
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
            ++not_finite;
            return;
        }
        if (n > 0)
            sum += distance(px, x) + distance(py, y) + distance(pz, z);
        px = x;
        py = y;
        pz = z;
        ++n;
    }

    double activity() const { return n >= 2 ? sum / (3.0 * static_cast<double>(n - 1)) : 0.0; }
};

// Samples j of b (in j order) whose time start + j * step lies in [s, e), where step is the whole
// number of ms between samples. Computed in closed form, so a burst costs O(1) plus its samples in
// the bin, however many bins it meets.
void add_samples_in_bin(const burst& b, qint64 s, qint64 e, bin_accumulator& acc)
{
    const qint64 n = b.sample_count;
    if (n <= 0)
        return;
    const double q = std::trunc(1000.0 / b.sampling_frequency_per_axis);
    qint64 lo = 0;
    qint64 hi = 0; // exclusive
    // A frequency of 0 (unreadable in the file) or none at all places every sample after the first at
    // an infinite distance: only sample 0 has a time.
    if (!std::isfinite(q) || std::fabs(q) > 4.0e18) {
        lo = 0;
        hi = (s <= b.start_timestamp && b.start_timestamp < e) ? 1 : 0;
    } else {
        const auto step = static_cast<qint64>(q);
        const qint64 t0 = b.start_timestamp;
        if (step > 0) {
            lo = ceil_div(s - t0, step);
            hi = ceil_div(e - t0, step);
        } else if (step < 0) {
            lo = floor_div(t0 - e, -step) + 1;
            hi = floor_div(t0 - s, -step) + 1;
        } else if (s <= t0 && t0 < e) {
            hi = n;
        }
        lo = std::max<qint64>(lo, 0);
        hi = std::min(hi, n);
    }
    const float* x = b.x.data();
    const float* y = b.y.data();
    const float* z = b.z.data();
    for (qint64 j = lo; j < hi; ++j)
        acc.add(x[j], y[j], z[j]);
}

} // namespace

double burst_activity(const burst& b)
{
    bin_accumulator acc;
    for (std::size_t j = 0; j < static_cast<std::size_t>(std::max(0, b.sample_count)); ++j)
        acc.add(b.x[j], b.y[j], b.z[j]);
    return acc.activity();
}

activity_calculator::activity_calculator(const burst_space& space, qint64 utc_offset_ms)
    : utc_offset(utc_offset_ms)
{
    // An empty space holds sentinel begin/end timestamps; it gets an empty plot at the epoch.
    if (space.entry_count() > 0) {
        plot_begin =
            floor_div(space.begin_timestamp() + utc_offset, activity_day_ms) * activity_day_ms - utc_offset;
        plot_end = (floor_div(space.end_timestamp() + utc_offset, activity_day_ms) + 1) * activity_day_ms -
                   utc_offset;
    }
    trace_debug() << "plot begin: " << plot_begin;
    trace_debug() << "plot end: " << plot_end;
    trace_debug() << "bs begin: " << QDateTime::fromMSecsSinceEpoch(space.begin_timestamp(), Qt::UTC);
    trace_debug() << "bs end: " << QDateTime::fromMSecsSinceEpoch(space.end_timestamp(), Qt::UTC);

    duration = plot_end - plot_begin;
    if (duration / activity_day_ms > activity_max_days) {
        too_long = true;
        return;
    }
    bin_count = duration / bin_width;
    max_activity = 0;
    if (bin_count <= 0)
        return;
    activities.reserve(static_cast<std::size_t>(bin_count));
    samples.reserve(static_cast<std::size_t>(bin_count));

    // The end of one bin is the start of the next, so each boundary is looked up once.
    qint64 s = plot_begin;
    qint32 at_s = space.burst_index_for_timestamp(s);
    for (qint64 k = 0; k < bin_count; ++k) {
        const qint64 e = s + bin_width;
        const qint32 i = space.burst_index_for_timestamp(e);
        qint32 h = at_s;
        if (h < 0 && i >= 0)
            h = 0;
        bin_accumulator acc;
        if (h >= 0 && i >= 0) {
            for (qint32 b = h; b <= i; ++b)
                add_samples_in_bin(*space.entry(b).burst, s, e, acc);
        }
        const double a = acc.activity();
        activities.push_back(a);
        samples.push_back(acc.n);
        not_finite_samples += acc.not_finite;
        if (a > max_activity)
            max_activity = a;
        s = e;
        at_s = i;
    }
    std::vector<double> active;
    std::copy_if(activities.begin(), activities.end(), std::back_inserter(active),
                 [](double a) { return a > 0; });
    if (active.empty())
        return;
    const auto middle = active.begin() + static_cast<std::ptrdiff_t>((active.size() - 1) / 2);
    std::nth_element(active.begin(), middle, active.end());
    shade_scale = std::min(max_activity, shade_median_factor * *middle);
}

namespace {

// Days of the plot of a non-empty space, counted on the clock utc_offset ms ahead of UTC.
qint64 plot_days(const burst_space& space, qint64 utc_offset)
{
    return floor_div(space.end_timestamp() + utc_offset, activity_day_ms) + 1 -
           floor_div(space.begin_timestamp() + utc_offset, activity_day_ms);
}

} // namespace

QString activity_plot_refusal(const burst_space& space, qint64 utc_offset_ms)
{
    if (space.entry_count() == 0)
        return QString();
    const qint64 days = plot_days(space, utc_offset_ms);
    if (days <= activity_max_days)
        return QString();
    const auto date = [](qint64 msecs) {
        return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC).date().toString(Qt::ISODate);
    };
    return QStringLiteral("The activity plot is not drawn: the bursts span %1 days (%2 to %3), more than "
                          "20 years (%4 days). Check the file for wrong start times.")
        .arg(days)
        .arg(date(space.begin_timestamp()), date(space.end_timestamp()))
        .arg(activity_max_days);
}

QString activity_utc_offset_text(qint32 minutes)
{
    if (minutes == 0)
        return QStringLiteral("UTC");
    const qint32 m = std::abs(minutes);
    return QStringLiteral("UTC%1%2:%3")
        .arg(minutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(m / 60, 2, 10, QLatin1Char('0'))
        .arg(m % 60, 2, 10, QLatin1Char('0'));
}

QString activity_plot_options::describe() const
{
    QStringList parts;
    if (double_plot)
        parts << QStringLiteral("double plot");
    if (utc_offset_minutes != 0)
        parts << QStringLiteral("hours in ") + activity_utc_offset_text(utc_offset_minutes);
    return parts.join(QStringLiteral(", "));
}

int activity_grey(double a, double max_activity)
{
    float w = 0;
    if (a > 0)
        w = std::min(1.0f, static_cast<float>(std::pow(a / max_activity, 0.3)));
    return static_cast<int>((1 - w) * 255);
}

namespace {

constexpr int plot_row = 16;

int plot_columns(const activity_plot_options& options)
{
    return activity_bins_per_day * (options.double_plot ? 2 : 1);
}

} // namespace

QSize activity_plot_size(const activity_calculator& calc, const activity_plot_options& options)
{
    const qint64 days = calc.duration / activity_day_ms;
    return QSize(plot_columns(options) + 272, static_cast<int>((days + 4) * plot_row));
}

void paint_activity_plot(QPainter& p, const activity_calculator& calc, const QString& file_name,
                         const activity_plot_options& options, const QDateTime& generated)
{
    const QSize size = activity_plot_size(calc, options);
    const int width = size.width();
    const int height = size.height();
    const int row = plot_row;
    p.setBackground(QBrush(Qt::white, Qt::SolidPattern));
    p.eraseRect(QRect(QPoint(0, 0), size));

    QString title = QStringLiteral("activity plot (Dornvale - " DORNVALE_VERSION ")");
    if (!options.is_default())
        title += QStringLiteral(" - ") + options.describe();
    p.drawText(QPoint(10, 16), title);
    p.drawText(QPoint(10, 32), QStringLiteral("file: ") + file_name);
    p.drawText(QPoint(10, 48), QStringLiteral("generated on: ") +
                                   generated.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss t")));

    qint64 t = 0;
    for (qint64 k = 0; k < calc.bin_count; ++k, t += calc.bin_width) {
        const int grey = activity_grey(calc.activities[static_cast<std::size_t>(k)], calc.shade_scale);
        p.setPen(QColor(grey, grey, grey));
        const auto day = static_cast<int>(t / activity_day_ms);
        const auto c = static_cast<int>((t / calc.bin_width) % activity_bins_per_day);
        p.drawLine(c, day * row + 78, c, day * row + 66);
        // Double-plotted, a day is also the right half of the row before it.
        if (options.double_plot && day > 0)
            p.drawLine(c + activity_bins_per_day, (day - 1) * row + 78, c + activity_bins_per_day,
                       (day - 1) * row + 66);
    }

    const QColor light(192, 192, 192);
    const QColor dark(64, 64, 64);

    const int label_x = plot_columns(options) + 10;
    QDate d = QDateTime::fromMSecsSinceEpoch(calc.plot_begin + calc.utc_offset, Qt::UTC).date();
    for (int r = 0; r < height / row; ++r) {
        p.setPen(light);
        p.drawLine(0, r * row + 80, width, r * row + 80);
        p.setPen(Qt::black);
        p.drawText(QPoint(label_x, r * row + 78), d.toString(Qt::ISODate));
        d = d.addDays(1);
    }

    const int hours = plot_columns(options) / 10;
    for (int m = 0; m <= hours; ++m) {
        const int x = 10 * m;
        p.setPen(m % 6 == 0 ? dark : light);
        p.drawLine(x, 64, x, height);
    }
}

QImage activity_plot_image(const activity_calculator& calc, const QString& file_name,
                           const activity_plot_options& options, const QDateTime& generated)
{
    if (calc.too_long)
        return QImage();
    QImage image(activity_plot_size(calc, options), QImage::Format_RGB888);
    if (image.isNull())
        return image; // out of memory: nothing to paint on
    QPainter p(&image);
    paint_activity_plot(p, calc, file_name, options, generated);
    p.end();
    return image;
}

QImage activity_plot_image(const burst_space& space, const QString& file_name)
{
    const activity_calculator calc(space);
    return activity_plot_image(calc, file_name, activity_plot_options());
}

QString activity_export_path(const QString& data_file, const QString& suffix)
{
    const QFileInfo info(data_file);
    return QDir(info.absolutePath())
        .filePath(info.completeBaseName() + QStringLiteral("-activity.") + suffix);
}

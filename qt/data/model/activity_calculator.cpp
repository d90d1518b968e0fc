#include "data/model/activity_calculator.h"

#include "data/io/trace.h"
#include "data/model/burst_space.h"
#include "data/io/floor_div.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
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

#include "views/burst/axis_statistics.h"

#include <algorithm>
#include <cmath>

axis_statistics axis_statistics::of(const sample_axis& values, qint32 n)
{
    axis_statistics s;
    const std::size_t count = std::min(values.size(), static_cast<std::size_t>(std::max(0, n)));
    if (count == 0)
        return s;
    double sum = 0;
    s.min = s.max = values[0];
    for (std::size_t i = 0; i < count; ++i) {
        const double v = values[i];
        sum += v;
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
    }
    s.mean = sum / static_cast<double>(count);
    // Two passes: the squared deviations from the mean do not cancel as sums of squares would.
    double squares = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double d = values[i] - s.mean;
        squares += d * d;
    }
    s.sd = std::sqrt(squares / static_cast<double>(count));
    return s;
}

axis_statistics axis_statistics::in_g(const burst_calibration& calibration, int a) const
{
    axis_statistics g;
    g.mean = calibration.to_g(a, mean);
    const double lo = calibration.to_g(a, min), hi = calibration.to_g(a, max);
    g.min = std::min(lo, hi);
    g.max = std::max(lo, hi);
    g.sd = sd / std::fabs(calibration.axes[a].per_g);
    return g;
}

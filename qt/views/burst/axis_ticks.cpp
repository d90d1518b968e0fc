#include "views/burst/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <limits>

double axis_tick_step(double lo, double hi, double length, double min_gap)
{
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi) || !(length > 0))
        return 0;
    const double range = hi - lo;
    if (range == 0)
        return 1;
    // Smallest step with step * length / range >= min_gap.
    const double least = std::max(min_gap, 1.0) * range / length;
    if (!(least > 0) || !std::isfinite(least))
        return 0; // a NaN gap, an infinite length, or a range past the largest double
    // A power of ten below the least subnormal double is 0, which the steps up would never leave.
    double power = std::max(std::pow(10.0, std::floor(std::log10(least))), std::numeric_limits<double>::denorm_min());
    for (;;) {
        for (const double m : {1.0, 2.0, 5.0})
            if (m * power >= least * (1 - 1e-12))
                return m * power;
        power *= 10;
    }
}

std::vector<double> axis_ticks(double lo, double hi, double length, double min_gap)
{
    std::vector<double> ticks;
    const double step = axis_tick_step(lo, hi, length, min_gap);
    if (step <= 0)
        return ticks;
    const double first = std::ceil(lo / step - 1e-9);
    // Counted, not stepped by 1 on a double: past 2^53 (or with an infinite step) k + 1 == k.
    const double most = std::min(std::floor(length / std::max(min_gap, 1.0)) + 2, 10000.0);
    for (double i = 0; i < most; ++i) {
        const double v = (first + i) * step;
        // lo / step may overflow: a tick past the largest double is no tick.
        if (!std::isfinite(v) || !(v <= hi + step * 1e-9) || (!ticks.empty() && !(v > ticks.back())))
            break;
        ticks.push_back(v == 0 ? 0.0 : v); // no "-0"
    }
    return ticks;
}

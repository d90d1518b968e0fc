#include "views/axis_ticks.h"

#include <cmath>

double axis_tick_step(double lo, double hi, double length, double min_gap)
{
    if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi) || !(length > 0))
        return 0;
    const double range = hi - lo;
    if (range == 0)
        return 1;
    // Smallest step with step * length / range >= min_gap.
    const double least = std::max(min_gap, 1.0) * range / length;
    double power = std::pow(10.0, std::floor(std::log10(least)));
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
    for (double k = first; k * step <= hi + step * 1e-9; k += 1) {
        const double v = k * step;
        ticks.push_back(v == 0 ? 0.0 : v); // no "-0"
    }
    return ticks;
}

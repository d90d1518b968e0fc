// Axis ticks for any four doubles (low, high, length in pixels, least gap): at most 10,000 ticks,
// finite, rising, and outside the axis by at most one step (and rounding).
#include "views/burst/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    double v[4] = {0, 1, 100, 20};
    std::memcpy(v, data, std::min(size, sizeof v));
    const std::vector<double> ticks = axis_ticks(v[0], v[1], v[2], v[3]);
    const double step = axis_tick_step(v[0], v[1], v[2], v[3]);
    if (ticks.size() > 10000 || (!ticks.empty() && !(step > 0)))
        std::abort();
    // Beyond the step, a bound may be missed by the rounding of values of its size.
    const double slack = step + 1e-12 * std::max(std::abs(v[0]), std::abs(v[1]));
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        if (!std::isfinite(ticks[i]) || (i > 0 && !(ticks[i] > ticks[i - 1])) || !(ticks[i] >= v[0] - slack) ||
            !(ticks[i] <= v[1] + slack))
            std::abort();
    }
    return 0;
}

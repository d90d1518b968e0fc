#include "views/burst/burst_sample_time.h"

#include "data/model/burst.h"

#include <algorithm>
#include <cmath>

qint64 burst_sample_time(const burst& b, qint64 s)
{
    const double f = b.sampling_frequency_per_axis;
    qint64 t = b.start_timestamp;
    if (f > 0 && std::isfinite(f)) {
        constexpr double limit = 1e15; // about 31,700 years either side of 1970
        const double exact = std::trunc(static_cast<double>(t) + static_cast<double>(s) * 1000.0 / f);
        t = static_cast<qint64>(std::clamp(exact, -limit, limit));
    }
    return t;
}

qint64 burst_end_time(const burst& b)
{
    return burst_sample_time(b, std::max<qint64>(0, b.sample_count - 1));
}

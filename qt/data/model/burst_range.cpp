#include "data/model/burst_range.h"

#include "data/model/burst_space.h"

#include <algorithm>
#include <limits>

namespace {

// Keeps the current minimum unless the candidate is strictly smaller, likewise the maximum.
inline void fold_min(float v, float& lo)
{
    if (v < lo)
        lo = v;
}

inline void fold_max(float v, float& hi)
{
    if (v > hi)
        hi = v;
}

} // namespace

burst_range::burst_range(const burst_space& space_, qint32 first_sample_, qint32 last_sample_)
    : space(space_), first_sample(first_sample_), last_sample(last_sample_), first_burst(-1), last_burst(-1)
{
    if (space.total_sample_count() < first_sample)
        return;
    first_burst = space.burst_index_for_sample(first_sample);
    if (first_burst != -1)
        last_burst = space.burst_index_for_sample(last_sample);
}

void burst_range::value_range(float& min_x, float& max_x, float& min_y, float& max_y, float& min_z,
                              float& max_z, bool& spans_several_bursts) const
{
    min_x = min_y = min_z = std::numeric_limits<float>::max();
    max_x = max_y = max_z = -std::numeric_limits<float>::max();
    spans_several_bursts = false;
    if (first_burst == -1)
        return;

    const qint64 window = qint64(last_sample) - first_sample;
    const std::vector<qint32>& starts = space.first_samples();
    const qint32 count = space.entry_count();
    for (qint32 i = first_burst; i <= last_burst; ++i) {
        const burst_entry& e = space.entry(i);
        // The sample count from the start table: a zoomed-out window then reads only the entries,
        // never the bursts themselves (one cache miss each).
        const qint32 next =
            i + 1 < count ? starts[static_cast<std::size_t>(i) + 1] : space.total_sample_count();
        if (window > next - e.first_sample) {
            const burst_min_max& m = e.extremes();
            fold_min(m.min_x, min_x);
            fold_max(m.max_x, max_x);
            fold_min(m.min_y, min_y);
            fold_max(m.max_y, max_y);
            fold_min(m.min_z, min_z);
            fold_max(m.max_z, max_z);
            continue;
        }
        const burst& b = *e.burst;
        // Samples k of the burst with first_sample <= e.first_sample + k <= last_sample.
        const qint64 k_begin = std::max<qint64>(0, qint64(first_sample) - e.first_sample);
        const qint64 k_end = std::min<qint64>(b.sample_count, qint64(last_sample) - e.first_sample + 1);
        for (qint64 k = k_begin; k < k_end; ++k) {
            const auto s = static_cast<std::size_t>(k);
            fold_min(b.x[s], min_x);
            fold_max(b.x[s], max_x);
            fold_min(b.y[s], min_y);
            fold_max(b.y[s], max_y);
            fold_min(b.z[s], min_z);
            fold_max(b.z[s], max_z);
        }
    }
    spans_several_bursts = first_burst != last_burst;
}

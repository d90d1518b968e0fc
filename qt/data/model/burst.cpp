#include "data/model/burst.h"

#include "data/io/fatal.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Eight independent lanes so the compiler can use vector min/max; the result is the same smallest
// and largest element (of equal values, possibly another one, e.g. -0 for 0).
void scan(const std::vector<float>& values, float& lo, float& hi)
{
    lo = std::numeric_limits<float>::max();
    hi = -std::numeric_limits<float>::max();
    if (values.empty())
        return;
    constexpr std::size_t lanes = 8;
    float lane_lo[lanes], lane_hi[lanes];
    std::fill(lane_lo, lane_lo + lanes, values.front());
    std::fill(lane_hi, lane_hi + lanes, values.front());
    const float* v = values.data();
    const std::size_t n = values.size(), whole = n - n % lanes;
    for (std::size_t i = 0; i < whole; i += lanes) {
        for (std::size_t l = 0; l < lanes; ++l) {
            lane_lo[l] = v[i + l] < lane_lo[l] ? v[i + l] : lane_lo[l];
            lane_hi[l] = v[i + l] > lane_hi[l] ? v[i + l] : lane_hi[l];
        }
    }
    lo = hi = values.front();
    for (std::size_t l = 0; l < lanes; ++l) {
        lo = lane_lo[l] < lo ? lane_lo[l] : lo;
        hi = lane_hi[l] > hi ? lane_hi[l] : hi;
    }
    for (std::size_t i = whole; i < n; ++i) {
        lo = v[i] < lo ? v[i] : lo;
        hi = v[i] > hi ? v[i] : hi;
    }
}

} // namespace

burst_min_max::burst_min_max(const std::vector<float>& x, const std::vector<float>& y,
                             const std::vector<float>& z)
{
    scan(x, min_x, max_x);
    scan(y, min_y, max_y);
    scan(z, min_z, max_z);
}

burst_min_max::burst_min_max(const burst& b) : burst_min_max(b.x, b.y, b.z)
{
}

burst::burst(qint64 start_timestamp_, double sampling_frequency_per_axis_, qint32 sample_count_,
             std::vector<float> x_, std::vector<float> y_, std::vector<float> z_)
    : start_timestamp(start_timestamp_), sampling_frequency_per_axis(sampling_frequency_per_axis_),
      sample_count(sample_count_), x(std::move(x_)), y(std::move(y_)), z(std::move(z_)), extremes(x, y, z)
{
    check_sizes();
}

burst::burst(qint64 start_timestamp_, double sampling_frequency_per_axis_, qint32 sample_count_,
             std::vector<float> x_, std::vector<float> y_, std::vector<float> z_,
             const burst_min_max& extremes_)
    : start_timestamp(start_timestamp_), sampling_frequency_per_axis(sampling_frequency_per_axis_),
      sample_count(sample_count_), x(std::move(x_)), y(std::move(y_)), z(std::move(z_)), extremes(extremes_)
{
    check_sizes();
}

void burst::check_sizes() const
{
    const auto n = static_cast<std::size_t>(sample_count < 0 ? 0 : sample_count);
    if (sample_count < 0 || x.size() != n || y.size() != n || z.size() != n)
        fatal("burst: each axis must hold sample_count values");
}

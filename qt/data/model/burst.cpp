#include "data/model/burst.h"

#include "data/io/fatal.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

// Eight independent lanes so the compiler can use vector min/max; the result is the same smallest
// and largest element (of equal values, possibly another one, e.g. -0 for 0).
void scan(const float* v, std::size_t n, float& lo, float& hi)
{
    lo = std::numeric_limits<float>::max();
    hi = -std::numeric_limits<float>::max();
    if (n == 0)
        return;
    constexpr std::size_t lanes = 8;
    float lane_lo[lanes], lane_hi[lanes];
    std::fill(lane_lo, lane_lo + lanes, v[0]);
    std::fill(lane_hi, lane_hi + lanes, v[0]);
    const std::size_t whole = n - n % lanes;
    for (std::size_t i = 0; i < whole; i += lanes) {
        for (std::size_t l = 0; l < lanes; ++l) {
            lane_lo[l] = v[i + l] < lane_lo[l] ? v[i + l] : lane_lo[l];
            lane_hi[l] = v[i + l] > lane_hi[l] ? v[i + l] : lane_hi[l];
        }
    }
    lo = hi = v[0];
    for (std::size_t l = 0; l < lanes; ++l) {
        lo = lane_lo[l] < lo ? lane_lo[l] : lo;
        hi = lane_hi[l] > hi ? lane_hi[l] : hi;
    }
    for (std::size_t i = whole; i < n; ++i) {
        lo = v[i] < lo ? v[i] : lo;
        hi = v[i] > hi ? v[i] : hi;
    }
}

std::size_t checked_count(qint32 sample_count)
{
    if (sample_count < 0)
        fatal("burst: each axis must hold sample_count values");
    return static_cast<std::size_t>(sample_count);
}

} // namespace

burst_min_max::burst_min_max(const float* x, const float* y, const float* z, std::size_t count)
{
    scan(x, count, min_x, max_x);
    scan(y, count, min_y, max_y);
    scan(z, count, min_z, max_z);
}

burst_min_max::burst_min_max(const burst& b) : burst_min_max(b.x.data(), b.y.data(), b.z.data(), b.x.size())
{
}

std::unique_ptr<float[]> burst::new_block(std::size_t sample_count)
{
    return std::unique_ptr<float[]>(new float[3 * sample_count]);
}

namespace {

std::size_t checked_sizes(qint32 sample_count, const std::vector<float>& x, const std::vector<float>& y,
                          const std::vector<float>& z)
{
    const std::size_t n = checked_count(sample_count);
    if (x.size() != n || y.size() != n || z.size() != n)
        fatal("burst: each axis must hold sample_count values");
    return n;
}

burst_min_max checked_extremes(qint32 sample_count, const std::vector<float>& x, const std::vector<float>& y,
                               const std::vector<float>& z)
{
    return burst_min_max(x.data(), y.data(), z.data(), checked_sizes(sample_count, x, y, z));
}

std::unique_ptr<float[]> copied_block(qint32 sample_count, const std::vector<float>& x,
                                      const std::vector<float>& y, const std::vector<float>& z)
{
    const std::size_t n = checked_sizes(sample_count, x, y, z);
    std::unique_ptr<float[]> block = burst::new_block(n);
    std::copy(x.begin(), x.end(), block.get());
    std::copy(y.begin(), y.end(), block.get() + n);
    std::copy(z.begin(), z.end(), block.get() + 2 * n);
    return block;
}

} // namespace

burst::burst(qint64 start_timestamp_, double sampling_frequency_per_axis_, qint32 sample_count_,
             const std::vector<float>& x_, const std::vector<float>& y_, const std::vector<float>& z_)
    : burst(start_timestamp_, sampling_frequency_per_axis_, sample_count_,
            copied_block(sample_count_, x_, y_, z_), checked_extremes(sample_count_, x_, y_, z_))
{
}

burst::burst(qint64 start_timestamp_, double sampling_frequency_per_axis_, qint32 sample_count_,
             std::unique_ptr<float[]> block, const burst_min_max& extremes_)
    : block_(std::move(block)), start_timestamp(start_timestamp_),
      sampling_frequency_per_axis(sampling_frequency_per_axis_), sample_count(sample_count_),
      x(block_.get(), checked_count(sample_count_)), y(block_.get() + x.size(), x.size()),
      z(block_.get() + 2 * x.size(), x.size()), extremes(extremes_)
{
}

#include "data/model/burst.h"

#include "data/model/burst_heap.h"

#include "data/io/fatal.h"

#include <algorithm>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif
#include <new>
#include <limits>
#include <utility>

namespace {

// Eight independent lanes, each keeping v < lane ? v : lane (and > for the largest); the result is
// the same smallest and largest element (of equal values, possibly another one, e.g. -0 for 0). The
// compiler leaves these comparisons scalar, so on x86 the lanes are two SSE registers, whose
// minps/maxps compute exactly that.
void scan(const float* v, std::size_t n, float& lo_out, float& hi_out)
{
    lo_out = std::numeric_limits<float>::max();
    hi_out = -std::numeric_limits<float>::max();
    if (n == 0)
        return;
    constexpr std::size_t lanes = 8;
    float lane_lo[lanes], lane_hi[lanes];
    const std::size_t whole = n - n % lanes;
#if defined(__SSE__)
    __m128 lo_a = _mm_set1_ps(v[0]), lo_b = lo_a, hi_a = lo_a, hi_b = lo_a;
    for (std::size_t i = 0; i < whole; i += lanes) {
        const __m128 a = _mm_loadu_ps(v + i);
        const __m128 b = _mm_loadu_ps(v + i + 4);
        lo_a = _mm_min_ps(a, lo_a);
        lo_b = _mm_min_ps(b, lo_b);
        hi_a = _mm_max_ps(a, hi_a);
        hi_b = _mm_max_ps(b, hi_b);
    }
    _mm_storeu_ps(lane_lo, lo_a);
    _mm_storeu_ps(lane_lo + 4, lo_b);
    _mm_storeu_ps(lane_hi, hi_a);
    _mm_storeu_ps(lane_hi + 4, hi_b);
#else
    std::fill(lane_lo, lane_lo + lanes, v[0]);
    std::fill(lane_hi, lane_hi + lanes, v[0]);
    for (std::size_t i = 0; i < whole; i += lanes) {
        for (std::size_t l = 0; l < lanes; ++l) {
            lane_lo[l] = v[i + l] < lane_lo[l] ? v[i + l] : lane_lo[l];
            lane_hi[l] = v[i + l] > lane_hi[l] ? v[i + l] : lane_hi[l];
        }
    }
#endif
    float lo = v[0], hi = v[0]; // locals: stores through the references could alias v
    for (std::size_t l = 0; l < lanes; ++l) {
        lo = lane_lo[l] < lo ? lane_lo[l] : lo;
        hi = lane_hi[l] > hi ? lane_hi[l] : hi;
    }
    for (std::size_t i = whole; i < n; ++i) {
        lo = v[i] < lo ? v[i] : lo;
        hi = v[i] > hi ? v[i] : hi;
    }
    lo_out = lo;
    hi_out = hi;
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

void burst::operator delete(void* memory)
{
    burst_heap::free(memory);
}

burst_block burst::new_block(std::size_t sample_count)
{
    static_assert(sizeof(burst) % alignof(float) == 0, "the samples follow the burst");
    static_assert(alignof(burst) <= burst_heap::block_alignment, "the heap aligns a burst");
    return burst_block(sizeof(burst), sample_count);
}

std::unique_ptr<burst> burst::make(qint64 start_timestamp, double sampling_frequency_per_axis,
                                   qint32 sample_count, const std::vector<float>& x,
                                   const std::vector<float>& y, const std::vector<float>& z)
{
    const std::size_t n = checked_count(sample_count);
    if (x.size() != n || y.size() != n || z.size() != n)
        fatal("burst: each axis must hold sample_count values");
    burst_block block = new_block(n);
    std::copy(x.begin(), x.end(), block.axis(0));
    std::copy(y.begin(), y.end(), block.axis(1));
    std::copy(z.begin(), z.end(), block.axis(2));
    return make(start_timestamp, sampling_frequency_per_axis, std::move(block),
                burst_min_max(x.data(), y.data(), z.data(), n));
}

std::unique_ptr<burst> burst::make(qint64 start_timestamp, double sampling_frequency_per_axis,
                                   burst_block samples, const burst_min_max& extremes)
{
    if (!samples.storage() || samples.sample_count() > std::size_t(std::numeric_limits<qint32>::max()) ||
        reinterpret_cast<const char*>(samples.axis(0)) !=
            static_cast<const char*>(samples.storage()) + sizeof(burst))
        fatal("burst: made from a block not made by new_block");
    burst* made =
        ::new (samples.storage()) burst(start_timestamp, sampling_frequency_per_axis, samples, extremes);
    samples.release();
    return std::unique_ptr<burst>(made);
}

burst::burst(qint64 start_timestamp_, double sampling_frequency_per_axis_, const burst_block& samples,
             const burst_min_max& extremes_)
    : start_timestamp(start_timestamp_), sampling_frequency_per_axis(sampling_frequency_per_axis_),
      sample_count(static_cast<qint32>(samples.sample_count())), x(samples.axis(0), samples.sample_count()),
      y(samples.axis(1), samples.sample_count()), z(samples.axis(2), samples.sample_count()),
      extremes(extremes_)
{
}

#pragma once
// Bursts and burst spaces built from values, for tests and benchmarks.

#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "support/test_support.h"

#include <cmath>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace test_support {

// A burst of x.size() samples; an empty y or z is that many zeros.
inline std::unique_ptr<burst> make_burst(qint64 start, double frequency, std::vector<float> x,
                                         std::vector<float> y = {}, std::vector<float> z = {})
{
    const auto n = x.size();
    if (y.empty())
        y.assign(n, 0.f);
    if (z.empty())
        z.assign(n, 0.f);
    return burst::make(start, frequency, static_cast<qint32>(n), std::move(x), std::move(y),
                                   std::move(z));
}

// n samples base, base + 1, ... on all three axes, at 10 Hz.
inline std::unique_ptr<burst> counted_burst(qint64 start, int n, float base = 0.f)
{
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        x[static_cast<std::size_t>(k)] = base + static_cast<float>(k);
    return make_burst(start, 10.0, x, x, x);
}

// One counted burst: start, sample count and the first value.
struct counted
{
    qint64 start;
    int n;
    float base = 0.f;
};

// Counted bursts in the given order.
inline std::vector<std::unique_ptr<burst>> counted_bursts(std::initializer_list<counted> bursts)
{
    std::vector<std::unique_ptr<burst>> list;
    for (const counted& c : bursts)
        list.push_back(counted_burst(c.start, c.n, c.base));
    return list;
}

// Appends count bursts of n samples, one every interval_ms from start; sample k of axis a
// (0, 1, 2 = X, Y, Z) of burst b is value(b, a, k), asked axis by axis.
inline void add_bursts(std::vector<std::unique_ptr<burst>>& list, int count, qint64 start, qint64 interval_ms,
                       double frequency, int n, const std::function<float(int, int, int)>& value)
{
    for (int b = 0; b < count; ++b) {
        std::vector<float> axes[3];
        for (int a = 0; a < 3; ++a) {
            axes[a].resize(static_cast<std::size_t>(n));
            for (int k = 0; k < n; ++k)
                axes[a][static_cast<std::size_t>(k)] = value(b, a, k);
        }
        list.push_back(make_burst(start + b * interval_ms, frequency, std::move(axes[0]), std::move(axes[1]),
                                  std::move(axes[2])));
    }
}

// The burst_space of list; its summary lines are kept off the streams.
inline std::unique_ptr<burst_space> space_of(std::vector<std::unique_ptr<burst>> list)
{
    streams_capture quiet;
    return std::make_unique<burst_space>(list);
}

// count bursts one a second, of 0 ... longest samples drawn at random (every thirteenth from the
// sixth on without samples), values spread from low to high at random; the first Y value of the
// burst at count / 3 is NaN when it has two samples or more.
inline std::unique_ptr<burst_space> irregular_space(int count, int longest, unsigned seed,
                                                    float low = -5000.f, float high = 9000.f)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> length(0, longest);
    std::uniform_real_distribution<float> value(low, high);
    std::vector<std::unique_ptr<burst>> list;
    for (int b = 0; b < count; ++b) {
        const int n = b % 13 == 5 ? 0 : length(random);
        std::vector<float> axes[3];
        for (auto& axis : axes)
            for (int k = 0; k < n; ++k)
                axis.push_back(value(random));
        if (b == count / 3 && n > 1)
            axes[1][0] = std::nanf("");
        list.push_back(make_burst(1000 * qint64(b), 10.0, axes[0], axes[1], axes[2]));
    }
    return space_of(std::move(list));
}

// A burst with the same values on all three axes.
struct plain_burst
{
    qint64 t;
    double f;
    std::vector<float> v;
};

inline std::unique_ptr<burst_space> plain_space(const std::vector<plain_burst>& list)
{
    std::vector<std::unique_ptr<burst>> bursts;
    for (const auto& b : list)
        bursts.push_back(make_burst(b.t, b.f, b.v, b.v, b.v));
    return space_of(std::move(bursts));
}

} // namespace test_support

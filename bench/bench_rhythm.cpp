// Rhythm figures (L5, M10, RA, IS, IV and the 16-32 h Lomb-Scargle periodogram) and the sun's
// schedule over a year of six-minute bins: 87,600 bins, one in twenty missing.
#include "data/model/activity_calculator.h"
#include "data/rhythm/rhythm_figures.h"
#include "data/rhythm/sun_schedule.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int days = 365;

struct year_bins
{
    std::vector<double> activity;
    std::vector<qint64> samples;
};

const year_bins& year()
{
    static const year_bins bins = [] {
        year_bins y;
        std::mt19937 rng(11);
        std::uniform_real_distribution<double> noise(0, 20);
        std::uniform_int_distribution<int> gap(0, 19);
        for (int k = 0; k < days * activity_bins_per_day; ++k) {
            const bool present = gap(rng) != 0;
            y.activity.push_back(present ? 50 + 40 * std::sin(k * 2 * M_PI / 240) + noise(rng) : 0);
            y.samples.push_back(present ? 110 : 0);
        }
        return y;
    }();
    return bins;
}

void BM_rhythm_figures(benchmark::State& state)
{
    const year_bins& y = year();
    for (auto _ : state) {
        const rhythm_figures f = rhythm_figures::compute(y.activity, y.samples);
        benchmark::DoNotOptimize(f.period.best_power);
    }
    state.counters["bins"] = double(y.activity.size());
}

void BM_sun_schedule(benchmark::State& state)
{
    std::vector<day_position> positions(days);
    for (day_position& p : positions) {
        p.latitude = 47.73;
        p.longitude = 9.06;
    }
    for (auto _ : state) {
        const sun_schedule sun(positions, 1704067200000, 360000);
        benchmark::DoNotOptimize(sun.night().size());
    }
}

} // namespace

BENCHMARK(BM_rhythm_figures)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_sun_schedule)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();

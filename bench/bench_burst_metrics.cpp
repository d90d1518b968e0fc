// Time to compute the figures of 300,000 bursts of 110 samples per axis (33.33 Hz, as the examples)
// on 2 threads, in g, with the burst mean and with a 1 s running mean as the static part. cpu_s is the
// process's CPU time per run: on a busy machine, cpu_s / 2 is the time on 2 idle cores.
#include "data/metrics/burst_metrics.h"
#include "data/model/burst_space.h"
#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

const burst_space& bursts()
{
    static const std::unique_ptr<burst_space> space = [] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> step(-60, 60);
        std::vector<std::unique_ptr<burst>> list;
        for (int i = 0; i < 300000; ++i) {
            std::vector<float> axes[3];
            for (int a = 0; a < 3; ++a) {
                int v = 2048;
                for (int k = 0; k < 110; ++k)
                    axes[a].push_back(float(v = std::max(0, std::min(4095, v + step(random)))));
            }
            list.push_back(std::make_unique<burst>(1399000000000 + qint64(i) * 60000, 33.33, 110, axes[0],
                                                   axes[1], axes[2]));
        }
        return std::make_unique<burst_space>(list);
    }();
    return *space;
}

void all_bursts(benchmark::State& state)
{
    const burst_space& space = bursts();
    const static_window window{double(state.range(0))};
    const auto calibration = burst_calibration::default_for_tag("4711");
    const double cpu_before = bench_support::cpu_seconds();
    for (auto _ : state)
        benchmark::DoNotOptimize(burst_metrics::of_all(space, calibration, window, 2).data());
    state.counters["cpu_s"] = benchmark::Counter((bench_support::cpu_seconds() - cpu_before) / double(state.iterations()));
    state.counters["bursts/s"] =
        benchmark::Counter(double(space.entry_count()), benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(all_bursts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

BENCHMARK_MAIN();

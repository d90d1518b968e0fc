#pragma once
// What the paint benchmarks share: their start and registering benchmarks that are repeated.

#include <QApplication>

#include <benchmark/benchmark.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

namespace bench_support {

// Offscreen unless the caller chose a platform, a widget application for the fonts, the benchmark flags
// read; the application lives as long as the returned object.
inline std::unique_ptr<QApplication> start_paint_benchmarks(int& argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto app = std::make_unique<QApplication>(argc, argv);
    benchmark::Initialize(&argc, argv);
    return app;
}

using bench_function = std::function<void(benchmark::State&)>;

// Registers each benchmark by name, measured in one unit and repeated; only the aggregates are shown.
inline void register_repeated(benchmark::TimeUnit unit, int repetitions,
                              std::initializer_list<std::pair<const char*, bench_function>> benchmarks)
{
    for (const auto& [name, function] : benchmarks)
        benchmark::RegisterBenchmark(name, function)
            ->Unit(unit)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true);
}

} // namespace bench_support

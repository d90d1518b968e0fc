// Activity calculator and actogram image over a year of bursts: 100,000 bursts five minutes apart,
// 110 samples each at 33.33 Hz.
#include "bench_support.h"
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "support/burst_builder.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

namespace {

constexpr int burst_count = 100000;
constexpr int samples_per_burst = 110;

const burst_space& year_of_bursts()
{
    static std::unique_ptr<burst_space> space = [] {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> value(1800, 2300);
        std::vector<std::unique_ptr<burst>> list;
        list.reserve(burst_count);
        const qint64 start = 1704067200000 + 17000; // 2024-01-01T00:00:17Z
        for (int b = 0; b < burst_count; ++b) {
            std::vector<float> x(samples_per_burst), y(samples_per_burst), z(samples_per_burst);
            for (int j = 0; j < samples_per_burst; ++j) {
                x[j] = static_cast<float>(value(rng));
                y[j] = static_cast<float>(value(rng));
                z[j] = static_cast<float>(value(rng));
            }
            list.push_back(test_support::make_burst(start + qint64(b) * 300000, 33.33, std::move(x),
                                                    std::move(y), std::move(z)));
        }
        return test_support::space_of(std::move(list));
    }();
    return *space;
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

void samples_counter(benchmark::State& state)
{
    state.counters["bursts/s"] =
        benchmark::Counter(double(burst_count) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["samples/s"] = benchmark::Counter(
        double(burst_count) * samples_per_burst * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_activity_calculator(benchmark::State& state)
{
    const burst_space& space = year_of_bursts();
    for (auto _ : state) {
        activity_calculator calc(space);
        benchmark::DoNotOptimize(calc.max_activity);
    }
    samples_counter(state);
}

void BM_calculator_and_image(benchmark::State& state)
{
    const burst_space& space = year_of_bursts();
    for (auto _ : state) {
        QImage image = activity_plot_image(space, QStringLiteral("year_acc.txt"));
        benchmark::DoNotOptimize(image.constBits());
    }
    samples_counter(state);
}

void BM_activity_csv(benchmark::State& state)
{
    const activity_calculator calc(year_of_bursts());
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        write_activity_csv(calc, buffer, nullptr);
        benchmark::DoNotOptimize(buffer.data().constData());
    }
    state.counters["bins/s"] =
        benchmark::Counter(double(calc.bin_count) * double(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_activity_calculator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_activity_csv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_calculator_and_image)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // Fonts for the header and labels need a GUI application; run with QT_QPA_PLATFORM=offscreen.
    QGuiApplication app(argc, argv);
    qInstallMessageHandler(&quiet);
    benchmark::Initialize(&argc, argv);
    year_of_bursts();
    benchmark::RunSpecifiedBenchmarks();
    std::cout << "peak memory (data set of " << burst_count
              << " bursts included): " << bench_support::peak_mib() << " MiB" << std::endl;
    return 0;
}

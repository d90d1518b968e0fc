// Paint time of the burst detail pane's sample plot: one burst of 10,000 samples per axis (and a
// short one drawn as lines) into images of a docked and of a wide pane, raw and in g.
#include "data/model/burst.h"
#include "views/burst/burst_samples_plot.h"
#include "paint_benchmarks.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

std::unique_ptr<burst> noisy_burst(int n)
{
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.f, 80.f);
    std::vector<float> axes[3];
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < n; ++k)
            axes[a].push_back(1000.f * static_cast<float>(a + 1) + noise(random));
    return burst::make(1614556800000, 100.0, n, axes[0], axes[1], axes[2]);
}

void paint_burst(benchmark::State& state, int samples, int width, int height, bool in_g)
{
    const std::unique_ptr<burst> b = noisy_burst(samples);
    std::optional<burst_calibration> calibration;
    if (in_g)
        calibration = burst_calibration{{{2048, 512}, {2048, 512}, {2048, 512}}};
    const bool shown[3] = {true, true, true};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        burst_samples_plot::paint(painter, image.rect(), *b, calibration, axis_palette::standard(), shown);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples/s"] =
        benchmark::Counter(3.0 * samples, benchmark::Counter::kIsIterationInvariantRate);
}

void ten_thousand_samples_docked(benchmark::State& state)
{
    paint_burst(state, 10000, 800, 300, false);
}
void ten_thousand_samples_docked_in_g(benchmark::State& state)
{
    paint_burst(state, 10000, 800, 300, true);
}
void ten_thousand_samples_wide(benchmark::State& state)
{
    paint_burst(state, 10000, 2400, 600, false);
}
void thousand_samples_as_lines(benchmark::State& state)
{
    paint_burst(state, 1000, 800, 300, false);
}

} // namespace

int main(int argc, char** argv)
{
    const auto app = bench_support::start_paint_benchmarks(argc, argv);
    bench_support::register_repeated(benchmark::kMillisecond, 9,
                                     {{"ten_thousand_samples_docked", ten_thousand_samples_docked},
                                      {"ten_thousand_samples_docked_in_g", ten_thousand_samples_docked_in_g},
                                      {"ten_thousand_samples_wide", ten_thousand_samples_wide},
                                      {"thousand_samples_as_lines", thousand_samples_as_lines}});
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

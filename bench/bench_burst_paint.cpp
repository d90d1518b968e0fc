// Paint time of the burst view over 300,000 bursts x 110 samples into a 1600 x 600 image, also with
// the VeDBA strip drawn over it and with the labels band (a segment of a new label every seven bursts).
#include "bench_support.h"
#include "paint_benchmarks.h"
#include "data/model/burst.h"
#include "views/burst/burst_paint_panel.h"
#include "data/model/burst_space.h"
#include "support/burst_builder.h"
#include "support/counted_events.h"
#include "views/metrics/vedba_strip.h"
#include "data/labels/label_segments.h"
#include "data/labels/label_set.h"
#include "views/labels/label_band.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStatusBar>

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

namespace {

constexpr int burst_count = 300000;
constexpr int samples = 110;
constexpr int width = 1600, height = 600;

struct scene
{
    std::unique_ptr<burst_space> space;
    std::unique_ptr<counted_events> events;
    QStatusBar status;
    std::unique_ptr<burst_paint_panel> panel;
    QImage image{width, height, QImage::Format_ARGB32_Premultiplied};
    vedba_strip strip{20};
    label_segments labels;
    label_set set = label_set::defaults();
    std::unique_ptr<label_band> band;
};

scene* the_scene = nullptr;

// Bursts one a minute from 2021-03-01, noisy values around a slowly moving level per axis;
// GPS fixes on every tenth burst.
void build_scene()
{
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.f, 60.f);
    std::vector<std::unique_ptr<burst>> list;
    list.reserve(burst_count);
    const qint64 t0 = 1614556800000;
    test_support::add_bursts(list, burst_count, t0, 60000, 10.0, samples, [&](int b, int a, int) {
        return 1000.f * static_cast<float>(a + 1) + static_cast<float>(b % 400) + noise(random);
    });
    std::vector<qint32> fixes(burst_count, 0);
    for (int b = 0; b < burst_count; b += 10)
        fixes[static_cast<std::size_t>(b)] = 1;

    the_scene = new scene;
    the_scene->space = test_support::space_of(std::move(list));
    test_support::streams_capture quiet;
    the_scene->events = std::make_unique<counted_events>(fixes);
    the_scene->panel = std::make_unique<burst_paint_panel>(*the_scene->space, *the_scene->events,
                                                           the_scene->status, nullptr);
    const std::vector<qint64>& starts = the_scene->space->timestamps();
    for (std::size_t b = 0; b + 7 < starts.size(); b += 7)
        the_scene->labels.set_range("", starts[b], starts[b + 7], the_scene->set.labels()[b / 7 % 6].name);
    the_scene->band = std::make_unique<label_band>(the_scene->labels, the_scene->set, QString());
    the_scene->panel->resize(width, height);
    the_scene->panel->show(); // the first resize sets the initial zoom
    the_scene->strip.set_values(burst_metrics::of_all(*the_scene->space, std::nullopt, static_window{}), "raw");
}

// Paints at a zoom given as positions across the widget (0: the first-resize zoom), left edge in
// the middle of the data.
void paint_at(benchmark::State& state, double span)
{
    burst_paint_panel& panel = *the_scene->panel;
    const double initial = std::min<double>(the_scene->space->total_sample_count(), 604800000);
    panel.view.set_span(span > 0 ? span : initial);
    panel.view.set_offset(span > 0 ? the_scene->space->total_sample_count() / 2.0 + 17 : 0);
    test_support::streams_capture traces;
    for (auto _ : state) {
        the_scene->panel->render(&the_scene->image);
        benchmark::DoNotOptimize(the_scene->image.constBits());
    }
    state.counters["span"] = panel.view.span();
    state.counters["columns/s"] =
        benchmark::Counter(double(width - 1), benchmark::Counter::kIsIterationInvariantRate);
}

void first_resize_zoom(benchmark::State& state)
{
    paint_at(state, 0);
}
void hundred_bursts_across(benchmark::State& state)
{
    paint_at(state, 100.0 * samples);
}
void three_hundred_samples_across(benchmark::State& state)
{
    paint_at(state, 300);
}
// Thirty days across: the day grid with about thirty rotated labels.
void thirty_days_with_labels(benchmark::State& state)
{
    paint_at(state, 30.0 * 1440 * samples);
}

// The same with the VeDBA strip over the picture.
void with_strip(benchmark::State& state, double span)
{
    the_scene->panel->add_overlay(&the_scene->strip);
    paint_at(state, span);
    the_scene->panel->remove_overlay(&the_scene->strip);
}
// The strip alone, painted over the picture as the panel paints it: what it adds to a repaint.
void strip_alone(benchmark::State& state, double span)
{
    burst_paint_panel& panel = *the_scene->panel;
    const double initial = std::min<double>(the_scene->space->total_sample_count(), 604800000);
    panel.view.set_span(span > 0 ? span : initial);
    panel.view.set_offset(span > 0 ? the_scene->space->total_sample_count() / 2.0 + 17 : 0);
    const burst_overlay::frame f{*the_scene->space, width, height, 0, the_scene->space->entry_count() - 1,
                                 panel.view.left(), panel.view.positions_per_pixel(width)};
    for (auto _ : state) {
        QPainter painter(&the_scene->image);
        the_scene->strip.paint(painter, f);
        painter.end();
        benchmark::DoNotOptimize(the_scene->image.constBits());
    }
}

// A hundred bursts across with the middle one selected: the frame drawn over the picture.
void hundred_bursts_across_one_selected(benchmark::State& state)
{
    the_scene->panel->set_selected_burst(burst_count / 2);
    paint_at(state, 100.0 * samples);
    the_scene->panel->set_selected_burst(-1);
}

// The same zooms with the labels band.
template <void (*paint)(benchmark::State&)>
void with_band(benchmark::State& state)
{
    the_scene->panel->add_overlay(the_scene->band.get());
    paint(state);
    the_scene->panel->remove_overlay(the_scene->band.get());
}

// The band alone over the whole file, a new label every few columns: its own share of a repaint.
void band_alone_whole_file(benchmark::State& state)
{
    const burst_space& space = *the_scene->space;
    const double span = space.total_sample_count();
    const burst_overlay::frame f{space, width, height, 0, space.entry_count() - 1, 0, span / width};
    QPainter painter(&the_scene->image);
    for (auto _ : state) {
        the_scene->band->paint(painter, f);
        benchmark::DoNotOptimize(the_scene->image.constBits());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const auto app = bench_support::start_paint_benchmarks(argc, argv);
    bench_support::register_repeated(
        benchmark::kMillisecond, 9,
        {{"first_resize_zoom", first_resize_zoom},
         {"hundred_bursts_across", hundred_bursts_across},
         {"three_hundred_samples_across", three_hundred_samples_across},
         {"thirty_days_with_labels", thirty_days_with_labels},
         {"hundred_bursts_across_one_selected", hundred_bursts_across_one_selected},
         {"first_resize_zoom_with_vedba_strip", [](benchmark::State& s) { with_strip(s, 0); }},
         {"hundred_bursts_across_with_vedba_strip",
          [](benchmark::State& s) { with_strip(s, 100.0 * samples); }},
         {"thirty_days_with_vedba_strip", [](benchmark::State& s) { with_strip(s, 30.0 * 1440 * samples); }},
         {"vedba_strip_alone_first_resize_zoom", [](benchmark::State& s) { strip_alone(s, 0); }},
         {"vedba_strip_alone_hundred_bursts_across",
          [](benchmark::State& s) { strip_alone(s, 100.0 * samples); }},
         {"vedba_strip_alone_thirty_days",
          [](benchmark::State& s) { strip_alone(s, 30.0 * 1440 * samples); }},
         {"first_resize_zoom_band", with_band<first_resize_zoom>},
         {"hundred_bursts_across_band", with_band<hundred_bursts_across>},
         {"three_hundred_samples_across_band", with_band<three_hundred_samples_across>},
         {"thirty_days_with_labels_band", with_band<thirty_days_with_labels>},
         {"band_alone_whole_file", band_alone_whole_file}});
    build_scene();
    benchmark::RunSpecifiedBenchmarks();
    std::cout << "peak memory: " << bench_support::peak_mib() << " MiB (" << burst_count << " bursts x "
              << samples << " samples)" << std::endl;
    delete the_scene;
    return 0;
}

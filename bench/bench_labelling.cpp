// Time from a label key to the answer when 10,000 bursts of 300,000 are selected: the segments cut
// and merged, the undo step, the dock refilled, the band repainted and the labels file written.
// The file already holds 2,000 segments elsewhere.
#include "paint_benchmarks.h"
#include "data/model/burst_space.h"
#include "support/burst_builder.h"
#include "support/counted_events.h"
#include "support/temp_folder.h"
#include "views/burst/burst_paint_panel.h"
#include "views/labels/label_document.h"
#include "views/labels/labelling.h"

#include <QMainWindow>
#include <QStatusBar>

#include <benchmark/benchmark.h>

namespace {

constexpr int burst_count = 300000;

struct scene
{
    temp_folder dir;
    std::unique_ptr<burst_space> space;
    std::unique_ptr<counted_events> events;
    QMainWindow window;
    QStatusBar status;
    burst_paint_panel* panel = nullptr;
    labelling* labels = nullptr;

    // The labelling paints on the panel: it goes first.
    ~scene() { delete labels; }
};

scene* the_scene = nullptr;

void build_scene()
{
    the_scene = new scene;
    std::vector<std::unique_ptr<burst>> list;
    test_support::add_bursts(list, burst_count, 1614556800000, 60000, 10.0, 10,
                             [](int b, int a, int k) { return float(1000 * a + (b + k) % 50); });
    test_support::streams_capture quiet;
    the_scene->space = test_support::space_of(std::move(list));
    the_scene->events = std::make_unique<counted_events>(std::vector<qint32>(burst_count, 0));
    the_scene->panel = new burst_paint_panel(*the_scene->space, *the_scene->events, the_scene->status, nullptr);
    the_scene->window.setCentralWidget(the_scene->panel);
    the_scene->labels =
        new labelling(the_scene->window, *the_scene->panel, the_scene->dir.path("bench_acc.txt"), QString());
    the_scene->window.resize(1600, 900);
    the_scene->window.show();
    QApplication::processEvents();
    for (qint32 b = 200000; b < 240000; b += 20) {
        the_scene->panel->set_selected_range(b, b + 9);
        the_scene->labels->label_selection(b % 40 ? "walking" : "resting");
    }
}

void label_ten_thousand_bursts(benchmark::State& state)
{
    the_scene->panel->set_selected_range(100000, 109999);
    const char* const names[] = {"soaring", "flapping"};
    int i = 0;
    for (auto _ : state) {
        the_scene->labels->label_selection(names[i++ % 2]);
        the_scene->panel->repaint();
    }
    state.counters["segments"] = double(the_scene->labels->document().segments().size());
    state.counters["panel_width"] = the_scene->panel->width();
}

// The labels file alone, written atomically (QSaveFile: write, flush to disk, rename).
void write_labels_file(benchmark::State& state)
{
    const label_document& document = the_scene->labels->document();
    for (auto _ : state)
        labels_file::write(document.path(), document.segments());
}

// A labels file of 100,000 rows newest first, as a script that prepends may leave it: read in time
// proportional to the rows, as an ascending one.
void read_labels_newest_first(benchmark::State& state)
{
    const QString path = the_scene->dir.path("newest_first.labels.csv");
    QByteArray csv = "animal,start_utc,end_utc,label,note\n";
    for (qint64 i = 100000; i-- > 0;)
        csv += "," + labels_file::format_time(i * 60000).toUtf8() + "," +
               labels_file::format_time(i * 60000 + 30000).toUtf8() + (i % 3 ? ",walking,\n" : ",resting,\n");
    the_scene->dir.write("newest_first.labels.csv", csv);
    for (auto _ : state)
        benchmark::DoNotOptimize(labels_file::read(path).segments.size());
}

} // namespace

int main(int argc, char** argv)
{
    const auto app = bench_support::start_paint_benchmarks(argc, argv);
    bench_support::register_repeated(benchmark::kMillisecond, 9,
                                     {{"label_ten_thousand_bursts", label_ten_thousand_bursts}, {"write_labels_file", write_labels_file},
                                      {"read_labels_newest_first", read_labels_newest_first}});
    build_scene();
    benchmark::RunSpecifiedBenchmarks();
    delete the_scene;
    return 0;
}

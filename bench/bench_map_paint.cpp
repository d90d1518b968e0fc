// Repaint time of a 1600 x 1000 map with a 200,000-fix GPS track, one fix selected and one marked,
// tiles held in memory: framed on the whole track, and three levels closer (most of the track off
// screen); framed again with no tile source, over the offline basemap's held tiles; framed and closer
// again with the track coloured by speed, and framed by time. For comparison, the time to stroke the
// plain path through every fix. Also the lookup of the fix nearest to a click.
#include "bench_support.h"
#include "paint_benchmarks.h"
#include "data/model/event_space.h"
#include "map/event_space_layer.h"
#include "map/layer_ref.h"
#include "map/map_widget.h"
#include "tiles/tile_cache.h"
#include "tiles/tile_manager.h"
#include "support/random_track.h"
#include "support/test_support.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

namespace {

constexpr int fix_count = 200000;
constexpr int width = 1600;
constexpr int height = 1000;

struct scene
{
    QTemporaryDir dir;
    QNetworkAccessManager network;
    std::unique_ptr<tile_cache> cache;
    std::unique_ptr<tile_manager> tiles;
    std::unique_ptr<map_widget> map;
    std::unique_ptr<event_space> events;
    std::unique_ptr<layer_ref> track;
    QImage image{width, height, QImage::Format_ARGB32_Premultiplied};
    qint32 framed_level = 0;
    qint64 framed_x = 0, framed_y = 0;
};

scene* the_scene = nullptr;

QByteArray tile_png(int seed)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(230 + seed % 20, 235, 225));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A tag wandering for months around 52.5 N 13.4 E: a fix every few minutes, resting (tiny moves),
// foraging (short moves) and now and then flying off.
std::unique_ptr<event_space> make_track()
{
    return test_support::random_track(fix_count, {11, 13.40, 52.50, 0.995, 0.0008, 0.03});
}

// Caches every tile a view of the current level shows, then paints once so they are held.
void hold_tiles(scene& s)
{
    const zoom_state& v = s.map->view();
    const tile_range range = v.visible_tiles(width, height);
    for (qint64 c = range.c0; c <= range.c1; ++c)
        for (qint64 r = range.r0; r <= range.r1; ++r)
            s.cache->write(tile_key(wrap_column(c, v.currentLevel), qint32(r), v.currentLevel),
                           tile_png(int(c + r)));
    s.map->render(&s.image);
}

void build_scene()
{
    the_scene = new scene;
    scene& s = *the_scene;
    test_support::streams_capture quiet;
    s.cache = std::make_unique<tile_cache>(QDir(s.dir.path()), "osm");
    s.tiles = std::make_unique<tile_manager>(&s.network, s.cache.get(), "http://127.0.0.1:9/osm/");
    s.map = std::make_unique<map_widget>(s.tiles.get());
    s.map->resize(width, height);
    s.events = make_track();
    auto* track = new event_space_layer(s.events.get());
    s.track = s.map->add_layer(track);
    s.map->select_fix(track, s.events->events()[fix_count / 2]);
    track->set_marked(s.events->events()[fix_count / 3], true);
    s.map->fit_to_box(s.events->bounds());
    s.framed_level = s.map->view().currentLevel;
    s.framed_x = s.map->view().originX;
    s.framed_y = s.map->view().originY;
}

void go_to(int levels_closer)
{
    scene& s = *the_scene;
    s.map->set_level(s.framed_level);
    s.map->set_level(s.framed_level + levels_closer);
    hold_tiles(s);
}

void paint(benchmark::State& state, int levels_closer)
{
    go_to(levels_closer);
    for (auto _ : state) {
        the_scene->map->render(&the_scene->image);
        benchmark::DoNotOptimize(the_scene->image.constBits());
    }
    state.counters["level"] = the_scene->map->view().currentLevel;
    state.counters["fixes/s"] =
        benchmark::Counter(double(fix_count), benchmark::Counter::kIsIterationInvariantRate);
}

// The framed view with no tile source: the offline basemap under the track.
void framed_on_the_basemap(benchmark::State& state)
{
    go_to(0);
    scene& s = *the_scene;
    s.tiles->use_none();
    s.map->render(&s.image);
    for (auto _ : state) {
        s.map->render(&s.image);
        benchmark::DoNotOptimize(s.image.constBits());
    }
    s.tiles->use_server(QStringLiteral("http://127.0.0.1:9/osm/"));
}

// As paint(), the track coloured by a value of its fixes (the first repaint, which builds the
// level's colours, before the timing).
void coloured(benchmark::State& state, track_colouring colouring, int levels_closer)
{
    the_scene->map->set_colouring(colouring);
    paint(state, levels_closer);
    the_scene->map->set_colouring(track_colouring::track);
}

// The tiles alone, for the share of the repaint that is not the track.
void tiles_only(benchmark::State& state)
{
    go_to(0);
    scene& s = *the_scene;
    std::unique_ptr<layer_ref> track = std::move(s.track);
    track.reset();
    for (auto _ : state) {
        s.map->render(&s.image);
        benchmark::DoNotOptimize(s.image.constBits());
    }
    s.track = s.map->add_layer(new event_space_layer(s.events.get()));
}

// The fix nearest to a click, at clicks spread over the widget (most near the track).
void nearest_fix(benchmark::State& state, int levels_closer)
{
    go_to(levels_closer);
    std::mt19937 random(5);
    std::uniform_int_distribution<int> x(0, width - 1), y(0, height - 1);
    std::vector<QPoint> clicks;
    for (int i = 0; i < 1024; ++i)
        clicks.emplace_back(x(random), y(random));
    std::size_t i = 0, found = 0;
    for (auto _ : state) {
        const QPoint& c = clicks[i++ % clicks.size()];
        found += the_scene->map->fix_at(c.x(), c.y()).second ? 1 : 0;
    }
    state.counters["found"] = double(found) / double(std::max<std::size_t>(1, i));
}

// Every fix projected and stroked one by one, for comparison.
void plain_path_framed(benchmark::State& state)
{
    go_to(0);
    scene& s = *the_scene;
    const zoom_state& v = s.map->view();
    const map_scale scale = v.scale();
    const double left = double(v.left_x(width)), top = double(v.top_y(height));
    for (auto _ : state) {
        QPainterPath path;
        bool first = true;
        for (const gps_event* e : s.events->events()) {
            const QPointF p(longitude_to_map_x(e->longitude, scale) - left,
                            latitude_to_map_y(e->latitude, scale) - top);
            if (first)
                path.moveTo(p);
            else
                path.lineTo(p);
            first = false;
        }
        QPainter painter(&s.image);
        QPen pen(QColor("#2020ff"));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawPath(path);
        painter.end();
        benchmark::DoNotOptimize(s.image.constBits());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const auto app = bench_support::start_paint_benchmarks(argc, argv);
    bench_support::register_repeated(
        benchmark::kMillisecond, 9,
        {{"framed_on_the_track", [](benchmark::State& state) { paint(state, 0); }},
         {"three_levels_closer", [](benchmark::State& state) { paint(state, 3); }},
         {"framed_on_the_basemap", framed_on_the_basemap},
         {"tiles_only", tiles_only},
         {"framed_coloured_by_speed",
          [](benchmark::State& state) { coloured(state, track_colouring::speed, 0); }},
         {"framed_coloured_by_time",
          [](benchmark::State& state) { coloured(state, track_colouring::time, 0); }},
         {"three_levels_closer_coloured_by_speed",
          [](benchmark::State& state) { coloured(state, track_colouring::speed, 3); }}});
    bench_support::register_repeated(
        benchmark::kMicrosecond, 3,
        {{"nearest_fix_framed", [](benchmark::State& state) { nearest_fix(state, 0); }},
         {"nearest_fix_three_levels_closer", [](benchmark::State& state) { nearest_fix(state, 3); }}});
    bench_support::register_repeated(benchmark::kMillisecond, 3, {{"plain_path_framed", plain_path_framed}});
    std::ostringstream log;
    std::streambuf* old = std::cerr.rdbuf(log.rdbuf());
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    build_scene();
    benchmark::RunSpecifiedBenchmarks();
    std::cerr.rdbuf(old);
    std::cout << "peak memory: " << bench_support::peak_mib() << " MiB (" << fix_count << " fixes, " << width
              << " x " << height << " map)" << std::endl;
    delete the_scene;
    return 0;
}

// The map widget (tiles, levels, wheel, drag, fit to box, layers) and the GPS track layer.
#include "data/model/event_space.h"
#include "data/tracks/fix_values.h"
#include "map/colour_ramp.h"
#include "map/event_space_layer.h"
#include "map/layer.h"
#include "map/layer_ref.h"
#include "support/log_capture.h"
#include "map/map_widget.h"
#include "support/test_support.h"
#include "tiles/tile_cache.h"
#include "tiles/tile_manager.h"
#include "support/tile_test_server.h"
#include "support/data_table.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

using test_support::streams_capture;

namespace {

const QRgb track = qRgb(0x20, 0x20, 0xff);

// A map over a tile server that never answers, so every tile stays its placeholder.
// The map's two level signals, recorded from construction on.
struct level_spies
{
    QSignalSpy changed, shown;
    explicit level_spies(map_widget* map)
        : changed(map, SIGNAL(level_changed(int))), shown(map, SIGNAL(shown_level_changed(int)))
    {
    }
};

struct map_fixture
{
    QTemporaryDir dir;
    tile_test_server server;
    recording_network network;
    std::unique_ptr<tile_cache> cache;
    std::unique_ptr<tile_manager> tiles;
    std::unique_ptr<map_widget> map;

    explicit map_fixture(int w = 640, int h = 480)
    {
        server.set_default_answer(tile_test_server::nothing);
        streams_capture quiet;
        log_capture quiet_log;
        cache = std::make_unique<tile_cache>(QDir(dir.path()), "osm");
        tiles = std::make_unique<tile_manager>(&network, cache.get(), server.base_url());
        map = std::make_unique<map_widget>(tiles.get());
        map->resize(w, h);
    }
    ~map_fixture() { map.reset(); }

    QImage image() const
    {
        streams_capture quiet;
        return map->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    void wheel(int x, int y, QPoint angle)
    {
        QWheelEvent event(QPointF(x, y), map->mapToGlobal(QPoint(x, y)), QPoint(0, 0), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(map.get(), &event);
    }

    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(map->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(map.get(), &event);
    }

    // Press, a move that starts the drag, one that moves the map, release.
    void drag(QPoint from, QPoint to)
    {
        streams_capture quiet;
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    std::pair<qint64, qint64> origin() const { return {map->view().originX, map->view().originY}; }
};

// A layer that records its calls and fills a square at a map pixel.
struct probe_layer : layer
{
    QColor colour;
    qint64 mx, my;
    std::vector<std::tuple<double, qint64, qint64>>* calls;
    probe_layer(QColor c, qint64 x, qint64 y, std::vector<std::tuple<double, qint64, qint64>>* log)
        : colour(c), mx(x), my(y), calls(log)
    {
    }
    void paint(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y) override
    {
        calls->emplace_back(scale.map_size, left_x, top_y);
        painter->fillRect(QRect(int(mx - left_x), int(my - top_y), 10, 10), colour);
    }
};

std::unique_ptr<event_space> make_events(const std::vector<std::pair<double, double>>& lon_lat)
{
    std::vector<std::unique_ptr<gps_event>> list;
    qint64 t = 1614556800000;
    for (const auto& p : lon_lat)
        list.push_back(std::make_unique<gps_event>(gps_event{t += 60000, p.first, p.second}));
    return std::make_unique<event_space>(list);
}

// A wandering track near 52 N, 13 E: dense runs of fixes at rest, long moves, and a few far
// excursions, in file order.
std::vector<std::pair<double, double>> wandering_track(int n, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::vector<std::pair<double, double>> fixes;
    double lon = 13.40, lat = 52.50;
    for (int i = 0; i < n; ++i) {
        const double c = chance(random);
        const double scale = c < 0.5 ? 0.00002 : (c < 0.98 ? 0.001 : 0.05);
        lon += step(random) * scale;
        lat += step(random) * scale * 0.6;
        fixes.emplace_back(lon, lat);
    }
    return fixes;
}

// The plain path through every fix, as the track is defined: the reference picture.
void paint_reference(QPainter* painter, const event_space& events, const map_scale& scale, qint64 left_x,
                     qint64 top_y)
{
    QPainterPath path;
    bool first = true;
    for (const gps_event* e : events.events()) {
        const QPointF p(longitude_to_map_x(e->longitude, scale) - double(left_x),
                        latitude_to_map_y(e->latitude, scale) - double(top_y));
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    QPen pen(QColor("#2020ff"));
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->drawPath(path);
}

std::set<std::pair<int, int>> pixels_of(const QImage& image, QRgb colour)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xffffff) == (colour & 0xffffff))
                out.emplace(x, y);
    }
    return out;
}

// Whether b has a pixel at p or beside it (8-neighbourhood).
bool has_neighbour(const std::pair<int, int>& p, const std::set<std::pair<int, int>>& b)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (b.count({p.first + dx, p.second + dy}))
                return true;
    return false;
}

// Pixels of a with no pixel of b at or beside them.
int pixels_without_neighbour(const std::set<std::pair<int, int>>& a, const std::set<std::pair<int, int>>& b)
{
    int missing = 0;
    for (const auto& p : a)
        missing += has_neighbour(p, b) ? 0 : 1;
    return missing;
}

// Distance from a widget point to the polyline through the fixes.
double distance_to_path(const event_space& events, const map_scale& scale, qint64 left_x, qint64 top_y,
                        QPointF q)
{
    double best = 1e300;
    QPointF previous;
    bool first = true;
    for (const gps_event* e : events.events()) {
        const QPointF p(longitude_to_map_x(e->longitude, scale) - double(left_x),
                        latitude_to_map_y(e->latitude, scale) - double(top_y));
        if (!first) {
            const QPointF d = p - previous;
            const double len2 = QPointF::dotProduct(d, d);
            const double t =
                len2 > 0 ? std::clamp(QPointF::dotProduct(q - previous, d) / len2, 0.0, 1.0) : 0.0;
            const QPointF nearest = previous + t * d;
            best = std::min(best, std::hypot(q.x() - nearest.x(), q.y() - nearest.y()));
        }
        previous = p;
        first = false;
    }
    return best;
}

QImage white_image(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// A white w x h image after paint(painter) has drawn on it.
template <typename Paint> QImage painted_white(int w, int h, Paint&& paint)
{
    QImage image = white_image(w, h);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

} // namespace

class test_map_widget : public QObject
{
    Q_OBJECT

private slots:
    void new_widget_starts_at_level_one();
    void first_paint_requests_the_visible_tiles_data();
    void first_paint_requests_the_visible_tiles();
    void level_slots_step_about_the_centre();
    void level_slots_at_the_bounds_do_nothing();
    void set_level_at_the_current_level_emits();
    void wheel_in_and_out_returns_to_the_origin_data();
    void wheel_in_and_out_returns_to_the_origin();
    void wheel_logs_its_arithmetic();
    void wheel_deltas_other_than_one_notch_do_not_zoom_data();
    void wheel_deltas_other_than_one_notch_do_not_zoom();
    void wheel_at_the_top_level_only_repaints();
    void drag_moves_the_origin_against_the_mouse();
    void click_without_moving_changes_nothing();
    void fit_to_box_frames_a_small_box_at_the_highest_fitting_level();
    void fit_to_box_rejects_empty_and_unfittable_boxes();
    void fit_to_box_clamps_polar_latitudes();
    void fit_to_box_of_a_single_point_uses_the_top_level();
    void layers_paint_in_order_after_the_tiles();
    void remove_layer_removes_every_occurrence();
    void layer_ref_takes_its_layer_off_the_map();
    void track_layer_draws_nothing_for_fewer_than_two_fixes();
    void track_layer_draws_in_its_colour();
    void track_layer_matches_the_full_path_within_a_pixel_data();
    void track_layer_matches_the_full_path_within_a_pixel();
    void track_layer_survives_polar_and_absurd_coordinates();
    void track_pixels_move_exactly_with_a_pan();
    void nearest_fix_matches_a_plain_search();
    void click_selects_the_nearest_fix_within_the_pick_radius();
    void fixes_get_dots_once_apart();
    void a_click_on_a_legend_entry_hides_and_shows_its_track();
    void the_view_saves_as_png_svg_and_pdf();
    void behaviour_colours_each_fix_by_its_nearest_burst();
};

void test_map_widget::new_widget_starts_at_level_one()
{
    map_fixture f;
    QCOMPARE(f.map->view().currentLevel, 1);
    QCOMPARE(f.map->view().minLevel, 0);
    QCOMPARE(f.map->view().maxLevel, 18);
    QCOMPARE(f.origin(), std::make_pair(qint64(256), qint64(256)));
    QVERIFY(f.map->layers().empty());
    QVERIFY(!f.map->hasMouseTracking());
}

void test_map_widget::first_paint_requests_the_visible_tiles_data()
{
    add_columns<int, int, QStringList>("w", "h",
                                       "paths"); // "column/row" at level 1, in request order

    // Columns -1 ... 2 wrap to 1, 0, 1, 0; rows 0 ... 2, row 2 lying outside the world and not asked
    // for.
    add_row("640x480", 640, 480, QStringList{"1/0", "1/1", "0/0", "0/1"});
    // At least 514 high: row -1 too, outside the world as well.
    add_row("600x520", 600, 520, QStringList{"1/0", "1/1", "0/0", "0/1"});
    // Less than 256 high: rows 0 and 1 only; columns 0 ... 2.
    add_row("300x200", 300, 200, QStringList{"0/0", "0/1", "1/0", "1/1"});
}

void test_map_widget::first_paint_requests_the_visible_tiles()
{
    auto [w, h, paths] = fetch<int, int, QStringList>("w", "h", "paths");
    map_fixture f(w, h);
    f.image();
    f.image(); // tiles in flight are not asked for again
    QStringList requested;
    for (const QUrl& url : f.network.urls) {
        QVERIFY2(url.path().startsWith("/osm/1/"), qPrintable(url.toString()));
        requested << url.path().mid(7).chopped(4);
    }
    QCOMPARE(requested, paths);
}

void test_map_widget::level_slots_step_about_the_centre()
{
    map_fixture f;
    level_spies spies(f.map.get());
    f.map->increase_level();
    QCOMPARE(f.map->view().currentLevel, 2);
    QCOMPARE(f.origin(), std::make_pair(qint64(512), qint64(512)));
    f.drag({10, 10}, {13, 15});
    QCOMPARE(f.origin(), std::make_pair(qint64(509), qint64(507)));
    f.map->decrease_level(); // halves, truncating
    QCOMPARE(f.origin(), std::make_pair(qint64(254), qint64(253)));
    QCOMPARE(spies.changed.size(), 2);
    QCOMPARE(spies.changed[0][0].toInt(), 2);
    QCOMPARE(spies.changed[1][0].toInt(), 1);
    QCOMPARE(spies.shown.size(), 2);
    f.map->set_level(7);
    QCOMPARE(f.map->view().currentLevel, 7);
    QCOMPARE(f.origin(), std::make_pair(qint64(254) << 6, qint64(253) << 6));
    QCOMPARE(spies.changed.last()[0].toInt(), 7);
}

void test_map_widget::level_slots_at_the_bounds_do_nothing()
{
    map_fixture f;
    f.map->set_level(18);
    const auto top = f.origin();
    level_spies spies(f.map.get());
    f.map->increase_level();
    QCOMPARE(f.map->view().currentLevel, 18);
    QCOMPARE(f.origin(), top);
    f.map->set_level(0);
    spies.changed.clear();
    spies.shown.clear();
    f.map->decrease_level();
    QCOMPARE(f.map->view().currentLevel, 0);
    QCOMPARE(spies.changed.size(), 0);
    QCOMPARE(spies.shown.size(), 0);
}

void test_map_widget::set_level_at_the_current_level_emits()
{
    map_fixture f;
    f.map->set_level(5);
    const auto origin = f.origin();
    level_spies spies(f.map.get());
    f.map->set_level(5);
    QCOMPARE(spies.changed.size(), 1);
    QCOMPARE(spies.changed[0][0].toInt(), 5);
    QCOMPARE(spies.shown.size(), 0); // the level shown did not change
    QCOMPARE(f.origin(), origin);
}

void test_map_widget::wheel_in_and_out_returns_to_the_origin_data()
{
    add_columns<int, int, int, int>("x", "y",
                                    "dx", // pan before zooming
                                    "dy");
    add_row("centre", 320, 240, 0, 0);
    add_row("top left", 0, 0, 0, 0);
    add_row("even point", 100, 50, 0, 0);
    add_row("odd point after a pan", 613, 477, 31, -17);
    add_row("west of the world", 5, 400, 900, 0);
}

void test_map_widget::wheel_in_and_out_returns_to_the_origin()
{
    auto [x, y, dx, dy] = fetch<int, int, int, int>("x", "y", "dx", "dy");
    map_fixture f;
    streams_capture quiet;
    log_capture quiet_log;
    f.map->set_level(3);
    const auto [px, py] = f.origin();
    f.drag({300, 200}, {300 + dx, 200 + dy});
    const auto [ox, oy] = f.origin();
    QCOMPARE(ox, px - dx);
    QCOMPARE(oy, py - dy);
    const qint64 zx = ox - 320 + x, zy = oy - 240 + y; // map pixel under the cursor

    QSignalSpy changed(f.map.get(), SIGNAL(level_changed(int)));
    f.wheel(x, y, {0, 120});
    QCOMPARE(f.map->view().currentLevel, 4);
    // The same geographic point is under the cursor: its map pixel doubled.
    QCOMPARE(f.map->view().originX - 320 + x, 2 * zx);
    QCOMPARE(f.map->view().originY - 240 + y, 2 * zy);

    f.wheel(x, y, {0, -120});
    QCOMPARE(f.map->view().currentLevel, 3);
    QVERIFY(std::abs(f.map->view().originX - ox) <= 1);
    QVERIFY(std::abs(f.map->view().originY - oy) <= 1);
    QCOMPARE(changed.size(), 0); // the wheel does not emit level_changed
}

void test_map_widget::wheel_logs_its_arithmetic()
{
    map_fixture f;
    log_capture log;
    f.wheel(100, 50, {0, 120});
    // Level 1, origin (256, 256), 640 x 480: Z = (36, 66), S = (-220, -190).
    QCOMPARE(log.count("wheel: "), 1);
    const QString first = log.matching("wheel: ").value(0);
    QVERIFY2(first.contains(QRegularExpression("wheel:\\s+120\\s.*x:\\s+100\\s.*y:\\s+50")),
             qPrintable(first));
    QVERIFY2(
        log.matching("zoom origin:").value(0).contains(QRegularExpression("zoom origin:\\s+36\\s+,\\s+66")),
        qPrintable(log.all()));
    QVERIFY(
        log.matching("map origin:").value(0).contains(QRegularExpression("map origin:\\s+256\\s+,\\s+256")));
    QVERIFY(log.matching("shift:").value(0).contains(QRegularExpression("shift:\\s+-220\\s+,\\s+-190")));
    QCOMPARE(f.origin(), std::make_pair(qint64(72 + 220), qint64(132 + 190)));
}

void test_map_widget::wheel_deltas_other_than_one_notch_do_not_zoom_data()
{
    add_columns<QPoint, int>("angle", "level");
    add_row("two notches", QPoint(0, 240), 3);
    add_row("two notches back", QPoint(0, -240), 3);
    add_row("half a notch", QPoint(0, 60), 3);
    add_row("half a notch back", QPoint(0, -60), 3);
    add_row("smooth scroll", QPoint(0, 8), 3);
    add_row("one notch", QPoint(0, 120), 4);
    add_row("one notch sideways", QPoint(-120, 0), 2);
    add_row("one notch, slight tilt", QPoint(15, 120), 4);
}

void test_map_widget::wheel_deltas_other_than_one_notch_do_not_zoom()
{
    auto [angle, level] = fetch<QPoint, int>("angle", "level");
    map_fixture f;
    log_capture log;
    f.map->set_level(3);
    const auto origin = f.origin();
    f.wheel(320, 240, angle); // at the centre a notch acts like a level slot
    QCOMPARE(f.map->view().currentLevel, level);
    if (level == 3)
        QCOMPARE(f.origin(), origin);
    else if (level == 4)
        QCOMPARE(f.origin(), std::make_pair(origin.first * 2, origin.second * 2));
    else
        QCOMPARE(f.origin(), std::make_pair(origin.first / 2, origin.second / 2));
}

namespace {
struct counting_map : map_widget
{
    using map_widget::map_widget;
    int paints = 0;
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        map_widget::paintEvent(event);
    }
};
} // namespace

void test_map_widget::wheel_at_the_top_level_only_repaints()
{
    map_fixture f;
    counting_map map(f.tiles.get());
    map.resize(400, 300);
    map.show();
    QVERIFY(QTest::qWaitForWindowExposed(&map));
    map.set_level(18);
    QTRY_VERIFY(map.paints > 0);
    const auto origin = std::make_pair(map.view().originX, map.view().originY);
    QSignalSpy changed(&map, SIGNAL(level_changed(int)));
    QSignalSpy shown(&map, SIGNAL(shown_level_changed(int)));
    log_capture log;
    const int before = map.paints;
    QWheelEvent event(QPointF(10, 10), map.mapToGlobal(QPoint(10, 10)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&map, &event);
    QTRY_VERIFY(map.paints > before);
    QCOMPARE(map.view().currentLevel, 18);
    QCOMPARE(std::make_pair(map.view().originX, map.view().originY), origin);
    QCOMPARE(changed.size() + shown.size(), 0);
    QCOMPARE(log.count("wheel: "), 1);
    QCOMPARE(log.count("shift:"), 1);
}

void test_map_widget::drag_moves_the_origin_against_the_mouse()
{
    map_fixture f;
    f.map->set_level(4);
    const auto [ox, oy] = f.origin();
    streams_capture streams;
    f.mouse(QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {220, 190}, Qt::NoButton, Qt::LeftButton);
    f.mouse(QEvent::MouseMove, {250, 180}, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.origin(), std::make_pair(ox - 50, oy + 20));
    f.mouse(QEvent::MouseButtonRelease, {250, 180}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(f.origin(), std::make_pair(ox - 50, oy + 20));
    QCOMPARE(streams.stderr_lines(),
             (QStringList{"handle_drag_start", "left start", "handle_drag_end", "left end"}));
    // The right button does not pan.
    f.mouse(QEvent::MouseButtonPress, {200, 200}, Qt::RightButton, Qt::RightButton);
    f.mouse(QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::RightButton);
    f.mouse(QEvent::MouseMove, {90, 100}, Qt::NoButton, Qt::RightButton);
    f.mouse(QEvent::MouseButtonRelease, {90, 100}, Qt::RightButton, Qt::NoButton);
    QCOMPARE(f.origin(), std::make_pair(ox - 50, oy + 20));
}

void test_map_widget::click_without_moving_changes_nothing()
{
    map_fixture f;
    streams_capture streams;
    f.mouse(QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, {200, 200}, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(f.origin(), std::make_pair(qint64(256), qint64(256)));
    QCOMPARE(streams.stderr_lines(), QStringList{"handle_click"});
}

void test_map_widget::fit_to_box_frames_a_small_box_at_the_highest_fitting_level()
{
    map_fixture f;
    level_spies spies(f.map.get());
    const geo_box box{13.40, 52.00, 13.41, 52.01};
    f.map->fit_to_box(box);
    // 0.01 degrees of longitude are 466 pixels wide at level 16 but, 52 degrees north, 757 high
    // (over 640); at level 15 the box is 233 x 379.
    QCOMPARE(f.map->view().currentLevel, 15);
    QCOMPARE(spies.changed.size(), 0);
    QCOMPARE(spies.shown.size(), 1);
    QCOMPARE(spies.shown[0][0].toInt(), 15);
    // Centred on the box (the mean of the latitudes), every corner inside the 640 x 480 widget.
    const map_scale s = make_scale(15);
    QCOMPARE(f.map->view().originX, qint64(longitude_to_map_x(13.405, s)));
    QCOMPARE(f.map->view().originY, qint64(latitude_to_map_y(52.005, s)));
    for (double lon : {box.min_longitude, box.max_longitude})
        for (double lat : {box.min_latitude, box.max_latitude}) {
            const double x = longitude_to_map_x(lon, s) - double(f.map->view().left_x(640));
            const double y = latitude_to_map_y(lat, s) - double(f.map->view().top_y(480));
            QVERIFY(x >= 0 && x < 640);
            QVERIFY(y >= 0 && y < 480);
        }
}

void test_map_widget::fit_to_box_rejects_empty_and_unfittable_boxes()
{
    map_fixture f;
    f.map->set_level(6);
    const auto origin = f.origin();
    QSignalSpy shown(f.map.get(), SIGNAL(shown_level_changed(int)));
    streams_capture streams;
    f.map->fit_to_box(geo_box{13.41, 52.0, 13.40, 52.01});
    f.map->fit_to_box(geo_box{13.40, 52.01, 13.41, 52.0});
    std::vector<std::unique_ptr<gps_event>> none;
    f.map->fit_to_box(event_space(none).bounds());
    // Coordinates no map can show (a damaged file) fit at no level.
    f.map->fit_to_box(geo_box{-1e300, 10, 1e300, 11});
    f.map->fit_to_box(geo_box{-NAN, 10, NAN, 11});
    QCOMPARE(streams.stdout_lines(), (QStringList{"box is empty", "box is empty", "box is empty",
                                                  "can not fit to box", "can not fit to box"}));
    QCOMPARE(f.map->view().currentLevel, 6);
    QCOMPARE(f.origin(), origin);
    QCOMPARE(shown.size(), 0);
}

void test_map_widget::fit_to_box_clamps_polar_latitudes()
{
    map_fixture f;
    streams_capture streams;
    // Pole to pole: the world's full height, 512 pixels at level 1.
    f.map->fit_to_box(geo_box{-10, -90, 10, 90});
    QCOMPARE(f.map->view().currentLevel, 1);
    QCOMPARE(f.origin(), std::make_pair(qint64(256), qint64(256)));
    // A box reaching past the pole frames like one that ends at the world's edge.
    f.map->fit_to_box(geo_box{20, 80, 20.5, 95});
    map_fixture g;
    g.map->fit_to_box(geo_box{20, 80, 20.5, max_map_latitude});
    QCOMPARE(f.map->view().currentLevel, g.map->view().currentLevel);
    QCOMPARE(f.origin().first, g.origin().first);
    QVERIFY(f.map->view().currentLevel >= 3);
    QVERIFY(streams.stdout_text().isEmpty());
}

void test_map_widget::fit_to_box_of_a_single_point_uses_the_top_level()
{
    map_fixture f;
    f.map->fit_to_box(geo_box{-71.5, -33.9, -71.5, -33.9});
    QCOMPARE(f.map->view().currentLevel, 18);
    const map_scale s = make_scale(18);
    QCOMPARE(f.map->view().originX, qint64(longitude_to_map_x(-71.5, s)));
    QCOMPARE(f.map->view().originY, qint64(latitude_to_map_y(-33.9, s)));
}

void test_map_widget::layers_paint_in_order_after_the_tiles()
{
    map_fixture f;
    std::vector<std::tuple<double, qint64, qint64>> calls;
    auto red = f.map->add_layer(new probe_layer(Qt::red, 300, 300, &calls));
    auto green = f.map->add_layer(new probe_layer(Qt::green, 305, 300, &calls));
    const QImage image = f.image();
    // Level 1, origin (256, 256), 640 x 480: left_x -64, top_y 16.
    QCOMPARE(calls.size(), std::size_t(2));
    QCOMPARE(calls[0], std::make_tuple(512.0, qint64(-64), qint64(16)));
    QCOMPARE(image.pixel(364 + 2, 284 + 2), qRgb(255, 0, 0));
    QCOMPARE(image.pixel(364 + 7, 284 + 2), qRgb(0, 255, 0)); // the later layer on top
}

void test_map_widget::remove_layer_removes_every_occurrence()
{
    map_fixture f;
    std::vector<std::tuple<double, qint64, qint64>> calls;
    auto* twice = new probe_layer(Qt::red, 0, 0, &calls);
    auto* a = new probe_layer(Qt::green, 0, 0, &calls);
    auto* b = new probe_layer(Qt::blue, 0, 0, &calls);
    auto ref_a = f.map->add_layer(a);
    auto first = f.map->add_layer(twice);
    auto ref_b = f.map->add_layer(b);
    std::unique_ptr<layer_ref> second = f.map->add_layer(twice);
    QCOMPARE(f.map->layers(), (std::vector<layer*>{a, twice, b, twice}));
    f.map->remove_layer(twice);
    QCOMPARE(f.map->layers(), (std::vector<layer*>{a, b}));
    // Both handles own the same layer: only one may delete it.
    (void)second.release(); // a deliberately leaked handle: `first` deletes the layer
    first.reset();
    QCOMPARE(f.map->layers(), (std::vector<layer*>{a, b}));
}

void test_map_widget::layer_ref_takes_its_layer_off_the_map()
{
    map_fixture f;
    std::vector<std::tuple<double, qint64, qint64>> calls;
    auto* a = new probe_layer(Qt::green, 300, 300, &calls);
    auto* b = new probe_layer(Qt::red, 300, 300, &calls);
    auto ref_a = f.map->add_layer(a);
    auto ref_b = f.map->add_layer(b);
    QCOMPARE(ref_b->get(), static_cast<layer*>(b));
    QCOMPARE(ref_b->host(), static_cast<layer_host*>(f.map.get()));
    ref_b.reset();
    QCOMPARE(f.map->layers(), std::vector<layer*>{a});
    const QImage image = f.image();
    QCOMPARE(image.pixel(366, 286), qRgb(0, 255, 0));
}

void test_map_widget::track_layer_draws_nothing_for_fewer_than_two_fixes()
{
    const map_scale s = make_scale(10);
    for (int n : {0, 1}) {
        auto events = make_events(wandering_track(n, 1));
        event_space_layer l(events.get());
        QImage image = white_image(300, 200);
        QPainter painter(&image);
        const qint64 left = qint64(longitude_to_map_x(13.40, s)) - 150;
        const qint64 top = qint64(latitude_to_map_y(52.50, s)) - 100;
        l.paint(&painter, s, left, top);
        painter.end();
        QCOMPARE(image, white_image(300, 200));
    }
}

void test_map_widget::track_layer_draws_in_its_colour()
{
    // Two fixes 0.2 degrees apart on the equator: a horizontal line at level 8.
    auto events = make_events({{10.0, 0.0}, {10.2, 0.0}});
    event_space_layer l(events.get());
    const map_scale s = make_scale(8);
    const qint64 left = qint64(longitude_to_map_x(10.0, s)) - 20;
    const qint64 top = qint64(latitude_to_map_y(0.0, s)) - 50;
    QImage image = painted_white(200, 100, [&](QPainter& painter) { l.paint(&painter, s, left, top); });
    const auto blue = pixels_of(image, track);
    QVERIFY(blue.size() >= 30);
    for (const auto& p : blue)
        QCOMPARE(p.second, blue.begin()->second); // one pixel wide
    QCOMPARE(pixels_of(image, qRgb(255, 255, 255)).size() + blue.size(), std::size_t(200 * 100));
}

void test_map_widget::track_layer_matches_the_full_path_within_a_pixel_data()
{
    add_columns<int, int, int>("level",
                               "dx", // view centre offset from the track's start, in pixels
                               "dy");
    add_row("whole track, level 7", 7, 0, 0);
    add_row("level 11", 11, 0, 0);
    add_row("level 14", 14, 40, -30);
    add_row("level 17, most fixes off screen", 17, 0, 0);
    add_row("level 15, elsewhere", 15, -500, 300);
}

void test_map_widget::track_layer_matches_the_full_path_within_a_pixel()
{
    auto [level, dx, dy] = fetch<int, int, int>("level", "dx", "dy");
    auto events = make_events(wandering_track(5000, 42));
    event_space_layer l(events.get());
    const map_scale s = make_scale(level);
    const qint64 left = qint64(longitude_to_map_x(13.40, s)) + dx - 320;
    const qint64 top = qint64(latitude_to_map_y(52.50, s)) + dy - 240;
    QImage fast = white_image(640, 480);
    QImage full = white_image(640, 480);
    QPainter p1(&fast);
    l.paint(&p1, s, left, top);
    p1.end();
    QPainter p2(&full);
    paint_reference(&p2, *events, s, left, top);
    p2.end();
    const auto a = pixels_of(fast, track);
    const auto b = pixels_of(full, track);
    QVERIFY(b.size() > 50);
    // Every reference pixel has a track pixel beside it; a track pixel without a reference pixel
    // beside it (where the reference's tiny segments left a gap) still lies on the geometric path.
    QCOMPARE(pixels_without_neighbour(b, a), 0);
    for (const auto& p : a)
        if (!has_neighbour(p, b))
            QVERIFY2(distance_to_path(*events, s, left, top, QPointF(p.first + 0.5, p.second + 0.5)) <= 1.0,
                     qPrintable(QString("%1,%2").arg(p.first).arg(p.second)));
    // Hardly any pixel differs at all.
    int same = 0;
    for (const auto& p : b)
        same += a.count(p) ? 1 : 0;
    QVERIFY2(same >= int(b.size() * 8 / 10), qPrintable(QString("%1 of %2").arg(same).arg(b.size())));
}

void test_map_widget::track_layer_survives_polar_and_absurd_coordinates()
{
    // A fix at the pole lands on the world's top edge instead of at infinity; unreadable ones are
    // passed over.
    auto events = make_events({{-10.0, 0.0}, {0.0, 90.0}, {NAN, 1.0}, {1e300, 1e300}, {10.0, 0.0}});
    event_space_layer l(events.get());
    const map_scale s = make_scale(1);
    QImage image = painted_white(512, 512, [&](QPainter& painter) { l.paint(&painter, s, 0, 0); });
    const auto blue = pixels_of(image, track);
    QVERIFY(blue.count({256, 0}) + blue.count({256, 1}) + blue.count({255, 0}) > 0); // the pole's edge
    QVERIFY(blue.count({242, 256}) + blue.count({241, 256}) + blue.count({242, 255}) > 0);
}

void test_map_widget::track_pixels_move_exactly_with_a_pan()
{
    map_fixture f;
    auto events = make_events(wandering_track(3000, 9));
    auto ref = f.map->add_layer(new event_space_layer(events.get()));
    {
        streams_capture quiet;
        f.map->fit_to_box(events->bounds());
    }
    const QImage before = f.image();
    const auto [ox, oy] = f.origin();
    f.drag({300, 300}, {337, 277});
    QCOMPARE(f.origin(), std::make_pair(ox - 37, oy + 23));
    const QImage after = f.image();
    const auto a = pixels_of(before, track);
    const auto b = pixels_of(after, track);
    QVERIFY(a.size() > 200);
    // Inside the part of the widget that stays in view, every track pixel moved by (37, -23).
    const QRect kept(0, 23, 640 - 37, 480 - 23);
    int compared = 0;
    for (const auto& p : a) {
        const QPoint moved(p.first + 37, p.second - 23);
        if (!kept.translated(37, -23).contains(moved))
            continue;
        ++compared;
        QVERIFY2(b.count({moved.x(), moved.y()}), qPrintable(QString("%1,%2").arg(moved.x()).arg(moved.y())));
    }
    for (const auto& p : b) {
        if (kept.contains(QPoint(p.first - 37, p.second + 23)))
            QVERIFY(a.count({p.first - 37, p.second + 23}));
    }
    QVERIFY(compared > 100);
}

void test_map_widget::nearest_fix_matches_a_plain_search()
{
    // Fixes on a coarse grid repeat positions, so ties (the earlier fix wins) occur.
    auto track = wandering_track(4000, 5);
    for (std::size_t i = 0; i < track.size(); ++i)
        if (i % 3 == 0)
            track[i] = {std::round(track[i].first * 200) / 200, std::round(track[i].second * 200) / 200};
    auto events = make_events(track);
    event_space_layer l(events.get());
    std::vector<QPointF> units;
    for (const gps_event* e : events->events())
        units.emplace_back(longitude_to_unit_x(e->longitude), latitude_to_unit_y(e->latitude));
    std::mt19937 random(3);
    std::uniform_int_distribution<std::size_t> pick(0, units.size() - 1);
    std::normal_distribution<double> jitter(0.0, 1e-6);
    int hits = 0;
    for (int k = 0; k < 3000; ++k) {
        const QPointF near = units[pick(random)];
        const double ux = near.x() + jitter(random), uy = near.y() + jitter(random);
        const double radius = k % 2 ? 1e-6 : 4e-6;
        qint32 expected = -1;
        double best = radius * radius;
        for (std::size_t i = 0; i < units.size(); ++i) {
            const double d2 = std::pow(units[i].x() - ux, 2) + std::pow(units[i].y() - uy, 2);
            if (d2 < best || (d2 == best && expected == -1)) {
                best = d2;
                expected = qint32(i);
            }
        }
        QCOMPARE(l.nearest_fix(ux, uy, radius), expected);
        hits += expected >= 0 ? 1 : 0;
    }
    QVERIFY(hits > 500 && hits < 2900); // both outcomes are exercised
}

void test_map_widget::click_selects_the_nearest_fix_within_the_pick_radius()
{
    map_fixture f;
    auto events = make_events({{8.50, 47.25}, {8.51, 47.25}, {8.52, 47.26}});
    auto* track = new event_space_layer(events.get());
    auto ref = f.map->add_layer(track);
    f.map->set_level(14);
    {
        streams_capture quiet;
        f.map->fit_to_box(events->bounds());
    }
    const map_scale s = f.map->view().scale();
    const gps_event* middle = events->events()[1];
    const map_pixel p = f.map->view().map_to_widget(qint64(longitude_to_map_x(middle->longitude, s)),
                                                    qint64(latitude_to_map_y(middle->latitude, s)), 640, 480);
    std::vector<std::pair<event_space_layer*, const gps_event*>> clicked;
    QObject::connect(f.map.get(), &map_widget::fix_clicked,
                     [&clicked](event_space_layer* t, const gps_event* e) { clicked.emplace_back(t, e); });
    streams_capture quiet;
    // Eight pixels right of the fix (the pixel's centre lies 8.5 away once the fix's fraction is
    // counted in): the reach ends at about 8 pixels.
    f.mouse(QEvent::MouseButtonPress, QPoint(int(p.x) + 10, int(p.y)), Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, QPoint(int(p.x) + 10, int(p.y)), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicked.size(), std::size_t(0));
    QCOMPARE(track->selected(), static_cast<const gps_event*>(nullptr));
    f.mouse(QEvent::MouseButtonPress, QPoint(int(p.x) + 6, int(p.y)), Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, QPoint(int(p.x) + 6, int(p.y)), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(clicked.size(), std::size_t(1));
    QCOMPARE(clicked[0], std::make_pair(track, middle));
    QCOMPARE(track->selected(), middle);
    // A drag is no click: the selection stays.
    f.drag(QPoint(int(p.x) + 100, int(p.y)), QPoint(int(p.x) + 120, int(p.y)));
    QCOMPARE(clicked.size(), std::size_t(1));
    QCOMPARE(track->selected(), middle);
}

void test_map_widget::a_click_on_a_legend_entry_hides_and_shows_its_track()
{
    map_fixture f;
    auto events = make_events({{8.50, 47.25}, {8.51, 47.25}, {8.52, 47.26}});
    auto* stork = new event_space_layer(events.get(), QColor(track), QStringLiteral("stork"));
    auto ref = f.map->add_layer(stork);
    {
        streams_capture quiet;
        f.map->fit_to_box(events->bounds());
    }
    f.map->select_fix(stork, events->events()[1]);
    const auto track_pixels = [&f] {
        const QImage image = f.image();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == track && (x < 400 || y > 90); // not the legend's swatch
        return n;
    };
    QVERIFY(track_pixels() > 20);
    // The legend's first entry: a line below the heading that counts the data sets, at the right edge.
    const QPoint entry(640 - 6 - 4, 6 + 4 + f.map->fontMetrics().height() + 2 + 2);
    QCOMPARE(f.map->legend_track_at(entry.x(), entry.y()), stork);
    f.mouse(QEvent::MouseButtonPress, entry, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, entry, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!stork->shown());
    QCOMPARE(stork->selected(), static_cast<const gps_event*>(nullptr));
    QCOMPARE(track_pixels(), 0);
    f.mouse(QEvent::MouseButtonPress, entry, Qt::LeftButton, Qt::LeftButton);
    f.mouse(QEvent::MouseButtonRelease, entry, Qt::LeftButton, Qt::NoButton);
    QVERIFY(stork->shown());
    QVERIFY(track_pixels() > 20);
}

void test_map_widget::the_view_saves_as_png_svg_and_pdf()
{
    map_fixture f(320, 200);
    f.map->set_attribution(QStringLiteral("tiles by test"));
    const QImage shown = f.image();
    QTemporaryDir out;
    QCOMPARE(f.map->save_image(out.filePath("map.png")), QString());
    // The same picture, but for rounding (at most 1 in a channel) where the panels blend over the
    // basemap in the file's 24-bit format.
    const QImage saved = QImage(out.filePath("map.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(saved.size(), shown.size());
    int off = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = saved.pixel(x, y);
            off += std::abs(qRed(a) - qRed(b)) > 1 || std::abs(qGreen(a) - qGreen(b)) > 1 ||
                   std::abs(qBlue(a) - qBlue(b)) > 1;
        }
    QCOMPARE(off, 0);
    QCOMPARE(f.map->save_image(out.filePath("map.svg")), QString());
    QFile svg(out.filePath("map.svg"));
    // No tile of the server is drawn: the credit is the basemap's.
    QVERIFY(svg.open(QIODevice::ReadOnly) && svg.readAll().contains("Natural Earth"));
    QCOMPARE(f.map->save_image(out.filePath("map.PDF")), QString());
    QFile pdf(out.filePath("map.PDF"));
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");
    QCOMPARE(f.map->save_image(out.filePath("map.xyz")),
             QString("the file name's suffix names no image format"));
    QVERIFY(!QFile::exists(out.filePath("map.xyz")));
}

void test_map_widget::fixes_get_dots_once_apart()
{
    // Fixes 0.01 degrees apart on the equator: 1.8 pixels at level 8, 58 pixels at level 13.
    std::vector<std::pair<double, double>> row;
    for (int i = 0; i < 40; ++i)
        row.emplace_back(10.0 + 0.01 * i, 0.0);
    auto events = make_events(row);
    event_space_layer l(events.get(), QColor("#d95f02"));
    const auto dots_at = [&](int level, int i) {
        const map_scale s = make_scale(level);
        const qint64 left = qint64(longitude_to_map_x(10.0, s)) - 100;
        const qint64 top = qint64(latitude_to_map_y(0.0, s)) - 100;
        QImage image =
            painted_white(600, 200, [&](QPainter& painter) { l.paint_overlay(&painter, s, left, top); });
        // Two pixels above the fix: inside a dot's disc, off the line.
        const double x = longitude_to_map_x(10.0 + 0.01 * i, s) - double(left);
        return image.pixel(int(x), 100 - 2) != qRgb(255, 255, 255);
    };
    QVERIFY(dots_at(13, 3));
    QVERIFY(dots_at(13, 4));
    // At level 8 the 40 fixes crowd 72 pixels: no dots beside the first fix's ring.
    QVERIFY(!dots_at(8, 20));
}

void test_map_widget::behaviour_colours_each_fix_by_its_nearest_burst()
{
    map_fixture f;
    auto events = make_events({{10.0, 0.0}, {10.1, 0.0}, {10.2, 0.0}, {10.3, 0.0}});
    auto other = make_events({{11.0, 0.0}, {11.1, 0.0}});
    auto* a = new event_space_layer(events.get());
    auto* b = new event_space_layer(other.get());
    auto gps_only = make_events({{12.0, 0.0}, {12.1, 0.0}});
    auto* c = new event_space_layer(gps_only.get(), QColor("#d95f02"));
    auto ref_a = f.map->add_layer(a), ref_b = f.map->add_layer(b), ref_c = f.map->add_layer(c);
    QVERIFY(!f.map->has_values(track_colouring::behaviour));
    // Fixes a minute apart; a burst by each, "soaring" between the 2nd and 3rd but nearest to none.
    const qint64 t = 1614556800000;
    const std::vector<qint64> bursts{t + 59000, t + 121000, t + 145000, t + 180500, t + 240900};
    QStringList names;
    const std::vector<double> values = fix_values::behaviours(
        *events, bursts, {"walking", "resting", "soaring", "", ""}, {"flying", "flying", "", "flying", ""}, names);
    QCOMPARE(names, QStringList({"walking", "resting", "soaring", "flying"}));
    a->set_behaviours(values, {{"walking", 0x00aa00}, {"resting", 0x0000aa}, {"soaring", 0xaa00aa}, {"flying", 0xaa0000}});
    b->set_behaviours({std::nan(""), 0}, {{"flying", 0xaa0000}});
    QVERIFY(f.map->has_values(track_colouring::behaviour));
    f.map->set_colouring(track_colouring::behaviour);
    // The label wins over the prediction; the third fix is predicted only, the last has neither.
    const QRgb grey = colour_ramp::at(std::nan(""));
    QCOMPARE(a->fix_colours(), std::vector<QRgb>({0xff00aa00, 0xff0000aa, 0xffaa0000, grey}));
    QCOMPARE(b->fix_colours(), std::vector<QRgb>({grey, 0xffaa0000}));
    QCOMPARE(c->fix_colours(), std::vector<QRgb>({0xff808080, 0xff808080}));
    const std::vector<std::pair<QString, quint32>> present{
        {"walking", 0x00aa00}, {"resting", 0x0000aa}, {"flying", 0xaa0000}, {"no behaviour", 0x808080}};
    QCOMPARE(f.map->colour_scale().categories, present);
}

QTEST_MAIN(test_map_widget)
#include "test_map_widget.moc"

// The track layer against the plain path through every fix: within a pixel at several levels, and
// a pan of the kept level drawing exactly what a fresh layer draws there.
#include "data/model/event_space.h"
#include "data/model/gps_event.h"
#include "data/tracks/value_scale.h"
#include "map/colour_ramp.h"
#include "map/event_space_layer.h"
#include "tiles/tile_math.h"
#include "support/random_track.h"
#include "support/line_pictures.h"
#include "support/data_table.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int width = 400;
constexpr int height = 300;

// A wandering tag: mostly tiny moves (many fixes per pixel when zoomed out), some longer ones.
std::unique_ptr<event_space> make_track(int fixes)
{
    return test_support::random_track(fixes, {5, 8.55, 47.37, 0.99, 0.0006, 0.01});
}

QImage blank()
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QImage layer_picture(event_space_layer& layer, int level, qint64 left, qint64 top,
                     const QPointF& shift = QPointF())
{
    QImage image = blank();
    QPainter painter(&image);
    painter.translate(shift);
    layer.paint(&painter, make_scale(level), left, top);
    return image;
}

// The plain path through every fix, stroked with the layer's pen.
QImage plain_picture(const event_space& events, int level, qint64 left, qint64 top,
                     const QPointF& shift = QPointF())
{
    const double size = make_scale(level).map_size;
    QPainterPath path;
    bool first = true;
    for (const gps_event* e : events.events()) {
        const QPointF p(longitude_to_unit_x(e->longitude) * size - double(left),
                        latitude_to_unit_y(e->latitude) * size - double(top));
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    QImage image = blank();
    QPainter painter(&image);
    painter.translate(shift);
    QPen pen(QColor("#2020ff"));
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPath(path);
    return image;
}

using test_support::painted_pixels;
using test_support::pixels_without_neighbour;

} // namespace

class test_event_space_layer : public QObject
{
    Q_OBJECT

private slots:
    void within_a_pixel_of_the_plain_path_data();
    void within_a_pixel_of_the_plain_path();
    void pan_draws_what_a_fresh_layer_draws();
    void tracks_keep_their_colours();
    void segments_take_the_colour_of_their_end_data();
    void segments_take_the_colour_of_their_end();
};

void test_event_space_layer::within_a_pixel_of_the_plain_path_data()
{
    add_columns<int, int, int, QPointF>("level", "shift_x", "shift_y", "painter_shift");
    for (const int level : {8, 11, 13, 15, 17})
        for (const int shift : {0, 150})
            QTest::addRow("level %d, shifted %d", level, shift) << level << shift << -shift / 2 << QPointF();
    // A painter moved by whole pixels, and by fractions (which the painter strokes itself).
    for (const QPointF painter_shift : {QPointF(7, -3), QPointF(0.5, 0.25)})
        for (const int level : {8, 13})
            QTest::addRow("level %d, painter moved by %g, %g", level, painter_shift.x(), painter_shift.y())
                << level << 40 << 10 << painter_shift;
}

void test_event_space_layer::within_a_pixel_of_the_plain_path()
{
    auto [level, shift_x, shift_y, painter_shift] =
        fetch<int, int, int, QPointF>("level", "shift_x", "shift_y", "painter_shift");
    const auto events = make_track(20000);
    const double size = make_scale(level).map_size;
    // Centred on the first fix, then shifted.
    const gps_event* start = events->events().front();
    const qint64 left =
        qint64(std::floor(longitude_to_unit_x(start->longitude) * size)) - width / 2 + shift_x;
    const qint64 top = qint64(std::floor(latitude_to_unit_y(start->latitude) * size)) - height / 2 + shift_y;

    event_space_layer layer(events.get());
    const QImage drawn = layer_picture(layer, level, left, top, painter_shift);
    const QImage plain = plain_picture(*events, level, left, top, painter_shift);
    const int plain_pixels = painted_pixels(plain);
    QVERIFY(plain_pixels > 200);
    // The line lies within a pixel of the path; rounding to pixels may add one more at a few ends.
    QCOMPARE(pixels_without_neighbour(drawn, plain, 1), 0);
    QVERIFY(pixels_without_neighbour(plain, drawn, 1) <= 1 + plain_pixels / 1000);
    QCOMPARE(pixels_without_neighbour(plain, drawn, 2), 0);
}

void test_event_space_layer::pan_draws_what_a_fresh_layer_draws()
{
    const auto events = make_track(20000);
    event_space_layer kept(events.get());
    const int level = 13;
    const double size = make_scale(level).map_size;
    const gps_event* start = events->events().front();
    const qint64 left = qint64(longitude_to_unit_x(start->longitude) * size) - width / 2;
    const qint64 top = qint64(latitude_to_unit_y(start->latitude) * size) - height / 2;
    layer_picture(kept, level, left, top);
    layer_picture(kept, level + 2, left * 4, top * 4); // another level in between
    for (const QPoint pan : {QPoint(37, -11), QPoint(-250, 90), QPoint(1, 1)}) {
        event_space_layer fresh(events.get());
        const QImage expected = layer_picture(fresh, level, left + pan.x(), top + pan.y());
        QVERIFY(painted_pixels(expected) > 100);
        QCOMPARE(layer_picture(kept, level, left + pan.x(), top + pan.y()), expected);
    }
}

void test_event_space_layer::tracks_keep_their_colours()
{
    // Two tracks painted one after the other: each in its own colour, the first not drawn again in
    // the second's.
    const auto events = make_track(5000);
    const int level = 12;
    const double size = make_scale(level).map_size;
    const gps_event* start = events->events().front();
    const qint64 left = qint64(longitude_to_unit_x(start->longitude) * size) - width / 2;
    const qint64 top = qint64(latitude_to_unit_y(start->latitude) * size) - height / 2;
    event_space_layer blue(events.get());
    event_space_layer orange(events.get(), QColor("#d95f02"));
    QImage image = blank();
    QPainter painter(&image);
    blue.paint(&painter, make_scale(level), left, top);
    const QImage blue_only = image.copy();
    orange.paint(&painter, make_scale(level), left + 60, top);
    painter.end();
    int blue_pixels = 0, orange_pixels = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb p = image.pixel(x, y);
            blue_pixels += p == qRgb(0x20, 0x20, 0xff);
            orange_pixels += p == qRgb(0xd9, 0x5f, 0x02);
            if (p != qRgb(0xd9, 0x5f, 0x02) && p != blue_only.pixel(x, y))
                QFAIL(qPrintable(QString("pixel %1,%2 changed to %3").arg(x).arg(y).arg(p, 8, 16)));
        }
    QVERIFY(blue_pixels > 100);
    QVERIFY(orange_pixels > 100);
}

void test_event_space_layer::segments_take_the_colour_of_their_end_data()
{
    add_columns<QPointF>("painter_shift");
    add_row("onto whole pixels", QPointF());
    add_row("stroked by the painter", QPointF(0.5, 0.25));
}

void test_event_space_layer::segments_take_the_colour_of_their_end()
{
    const auto [shift] = fetch<QPointF>("painter_shift");
    // Three fixes along the equator, at x 98, 212 and 326 at level 2 from left 300.
    std::vector<std::unique_ptr<gps_event>> list;
    for (const double lon : {-40.0, 0.0, 40.0})
        list.push_back(std::make_unique<gps_event>(gps_event{0, lon, 0}));
    event_space events(list);
    event_space_layer layer(&events);
    layer.set_values({5, 0, 10}, value_scale({0, 10}, track_colouring::speed));
    const QImage image = layer_picture(layer, 2, 300, 512 - 150, shift);
    QCOMPARE(image.pixel(155, 150), colour_ramp::at(0));
    QCOMPARE(image.pixel(270, 150), colour_ramp::at(1));
    // Without values, the track's own colour again.
    layer.set_values({}, value_scale());
    QCOMPARE(layer_picture(layer, 2, 300, 512 - 150, shift).pixel(270, 150), QColor("#2020ff").rgb());
}

QTEST_MAIN(test_event_space_layer)
#include "test_event_space_layer.moc"

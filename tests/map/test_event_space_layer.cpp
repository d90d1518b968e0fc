// The track layer against the plain path through every fix: within a pixel at several levels, and
// a pan of the kept level drawing exactly what a fresh layer draws there.
#include "data/event_space.h"
#include "data/gps_event.h"
#include "map/event_space_layer.h"
#include "map/tile_math.h"

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
    std::mt19937 random(5);
    std::normal_distribution<double> step(0.0, 1.0);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    std::vector<std::unique_ptr<gps_event>> list;
    double lon = 8.55, lat = 47.37;
    qint64 t = 1614556800000;
    for (int i = 0; i < fixes; ++i) {
        const double c = chance(random);
        const double scale = c < 0.6 ? 0.00002 : (c < 0.99 ? 0.0006 : 0.01);
        lon += step(random) * scale;
        lat += step(random) * scale * 0.6;
        list.push_back(std::make_unique<gps_event>(gps_event{t += 300000, lon, lat}));
    }
    return std::make_unique<event_space>(list);
}

QImage blank()
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

QImage layer_picture(event_space_layer& layer, int level, qint64 left, qint64 top)
{
    QImage image = blank();
    QPainter painter(&image);
    layer.paint(&painter, make_scale(level), left, top);
    return image;
}

// The plain path through every fix, stroked with the layer's pen.
QImage plain_picture(const event_space& events, int level, qint64 left, qint64 top)
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
    QPen pen(QColor("#2020ff"));
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawPath(path);
    return image;
}

// Painted pixels of a with no painted pixel of b at most reach pixels away (in x and y).
int pixels_without_neighbour(const QImage& a, const QImage& b, int reach)
{
    const QRgb white = qRgb(255, 255, 255);
    int count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (a.pixel(x, y) == white)
                continue;
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy)
                for (int dx = -reach; dx <= reach && !near; ++dx)
                    near = x + dx >= 0 && x + dx < width && y + dy >= 0 && y + dy < height &&
                           b.pixel(x + dx, y + dy) != white;
            count += !near;
        }
    }
    return count;
}

int painted(const QImage& a)
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += a.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

} // namespace

class test_event_space_layer : public QObject
{
    Q_OBJECT

private slots:
    void within_a_pixel_of_the_plain_path_data();
    void within_a_pixel_of_the_plain_path();
    void pan_draws_what_a_fresh_layer_draws();
};

void test_event_space_layer::within_a_pixel_of_the_plain_path_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("shift_x");
    QTest::addColumn<int>("shift_y");
    for (const int level : {8, 11, 13, 15, 17})
        for (const int shift : {0, 150})
            QTest::addRow("level %d, shifted %d", level, shift) << level << shift << -shift / 2;
}

void test_event_space_layer::within_a_pixel_of_the_plain_path()
{
    QFETCH(int, level);
    QFETCH(int, shift_x);
    QFETCH(int, shift_y);
    const auto events = make_track(20000);
    const double size = make_scale(level).map_size;
    // Centred on the first fix, then shifted.
    const gps_event* start = events->events().front();
    const qint64 left =
        qint64(std::floor(longitude_to_unit_x(start->longitude) * size)) - width / 2 + shift_x;
    const qint64 top = qint64(std::floor(latitude_to_unit_y(start->latitude) * size)) - height / 2 + shift_y;

    event_space_layer layer(events.get());
    const QImage drawn = layer_picture(layer, level, left, top);
    const QImage plain = plain_picture(*events, level, left, top);
    const int plain_pixels = painted(plain);
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
        QVERIFY(painted(expected) > 100);
        QCOMPARE(layer_picture(kept, level, left + pan.x(), top + pan.y()), expected);
    }
}

QTEST_MAIN(test_event_space_layer)
#include "test_event_space_layer.moc"

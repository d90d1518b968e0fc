// One-pixel lines set straight into a picture, against the painter's cosmetic lines: within a pixel
// both ways, the colour exact, far coordinates clipped, the picture left empty after each use.
#include "map/line_raster.h"
#include "support/line_pictures.h"
#include "support/data_table.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int width = 120;
constexpr int height = 90;
const QColor track_colour("#2020ff");

QImage blank()
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

using segment = std::pair<QPointF, QPointF>;

QImage rastered(line_raster& raster, const std::vector<segment>& lines, const QPointF& top_left = QPointF())
{
    QImage image = blank();
    QPainter painter(&image);
    raster.begin(QSize(width, height), track_colour);
    for (const segment& s : lines)
        raster.line(s.first, s.second);
    raster.finish(painter, top_left);
    return image;
}

QImage stroked(const std::vector<segment>& lines)
{
    QImage image = blank();
    QPainter painter(&image);
    QPen pen(track_colour);
    pen.setCosmetic(true);
    painter.setPen(pen);
    for (const segment& s : lines)
        painter.drawLine(s.first, s.second);
    return image;
}

// Pixels in neither white nor the track's colour.
int foreign_pixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255) && image.pixel(x, y) != track_colour.rgb();
    return count;
}

using test_support::painted_pixels;
using test_support::pixels_without_neighbour;

} // namespace

class test_line_raster : public QObject
{
    Q_OBJECT

private slots:
    void within_a_pixel_of_the_painter_data();
    void within_a_pixel_of_the_painter();
    void far_coordinates_are_clipped();
    void a_point_sets_its_pixel();
    void empty_after_each_use();
    void drawn_at_the_given_corner();
};

void test_line_raster::within_a_pixel_of_the_painter_data()
{
    QTest::addColumn<std::vector<segment>>("lines");
    add_row("flat", std::vector<segment>{{{3.2, 10.7}, {100.9, 14.1}}});
    add_row("steep", std::vector<segment>{{{50.5, 2.2}, {44.1, 85.8}}});
    add_row("diagonal", std::vector<segment>{{{0, 0}, {89, 89}}, {{119.9, 0.1}, {30.5, 89.5}}});
    add_row("whole coordinates", std::vector<segment>{{{10, 10}, {10, 60}}, {{10, 60}, {90, 60}}});
    add_row("leaving the picture",
            std::vector<segment>{{{-40.3, 20.6}, {60.2, 130.9}}, {{60, 45}, {300, 50}}});
    std::vector<segment> zigzag;
    QPointF p(5.3, 45.1);
    for (int i = 0; i < 60; ++i) {
        const QPointF q(p.x() + 1.7, 45.1 + (i % 2 ? 9.4 : -7.9) * (i % 5) / 4);
        zigzag.emplace_back(p, q);
        p = q;
    }
    add_row("zigzag of short steps", zigzag);
}

void test_line_raster::within_a_pixel_of_the_painter()
{
    QFETCH(std::vector<segment>, lines);
    line_raster raster;
    const QImage mine = rastered(raster, lines);
    const QImage painter = stroked(lines);
    QVERIFY(painted_pixels(painter) > 40);
    QCOMPARE(foreign_pixels(mine), 0);
    QCOMPARE(pixels_without_neighbour(mine, painter, 1), 0);
    QCOMPARE(pixels_without_neighbour(painter, mine, 1), 0);
}

void test_line_raster::far_coordinates_are_clipped()
{
    // Only the part inside is walked: a billion pixels each way would take seconds otherwise.
    line_raster raster;
    const QImage image = rastered(raster, {{{-1e9, -1e9}, {1e9, 1e9}}, {{-1e9, 30.5}, {1e9, 30.5}}});
    QCOMPARE(image.pixel(40, 40), track_colour.rgb());
    QCOMPARE(image.pixel(89, 89), track_colour.rgb());
    for (int x = 0; x < width; ++x)
        QCOMPARE(image.pixel(x, 30), track_colour.rgb());
    QCOMPARE(painted_pixels(image), 90 + width - 1);
    // Wholly outside, or unreadable: nothing.
    QCOMPARE(painted_pixels(rastered(raster, {{{-5e8, -10}, {5e8, -3}}, {{200, 0}, {300, 80}}})), 0);
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    QCOMPARE(painted_pixels(
                 rastered(raster, {{{nan, 10}, {50, 50}}, {{10, 10}, {inf, 20}}, {{-inf, 5}, {inf, 5}}})),
             0);
}

void test_line_raster::a_point_sets_its_pixel()
{
    line_raster raster;
    const QImage image = rastered(raster, {{{17.9, 33.2}, {17.9, 33.2}}});
    QCOMPARE(painted_pixels(image), 1);
    QCOMPARE(image.pixel(17, 33), track_colour.rgb());
}

void test_line_raster::empty_after_each_use()
{
    line_raster raster;
    QVERIFY(painted_pixels(rastered(raster, {{{0, 0}, {119, 89}}})) > 100);
    QCOMPARE(raster.touched(), QRect());
    // The next picture shows only its own lines, in its own colour.
    QImage image = blank();
    QPainter painter(&image);
    raster.begin(QSize(width, height), Qt::red);
    raster.line({5, 80}, {25, 80});
    QCOMPARE(raster.touched().contains(QRect(5, 80, 21, 1)), true);
    raster.finish(painter, QPointF());
    painter.end();
    QCOMPARE(painted_pixels(image), 21);
    QCOMPARE(image.pixel(15, 80), qRgb(255, 0, 0));
    QCOMPARE(painted_pixels(rastered(raster, {})), 0);
}

void test_line_raster::drawn_at_the_given_corner()
{
    line_raster raster;
    const QImage image = rastered(raster, {{{2, 3}, {2, 3}}}, QPointF(10, 20));
    QCOMPARE(painted_pixels(image), 1);
    QCOMPARE(image.pixel(12, 23), track_colour.rgb());
}

QTEST_MAIN(test_line_raster)
#include "test_line_raster.moc"

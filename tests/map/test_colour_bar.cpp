// The map's colour legend as painted: the ramp's ends in the ramp's colours, and a swatch per
// behaviour in its own colour, the panel growing by a line per behaviour.
#include "map/colour_bar.h"
#include "map/colour_ramp.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

class test_colour_bar : public QObject
{
    Q_OBJECT

private slots:
    void ramp_and_swatches();
};

void test_colour_bar::ramp_and_swatches()
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();

    // Ramp: the bar starts 5 px in and one line (and 2 px) below the top.
    const value_scale speed({1.0, 2.0, 3.0}, track_colouring::speed);
    const QSize ramp_size = colour_bar::size(metrics, speed, "Speed");
    QCOMPARE(ramp_size.height(), 2 * line + colour_bar::bar_height + 14);
    colour_bar::paint(painter, QPoint(0, ramp_size.height()), speed, "Speed");
    const int bar_y = 5 + line + 2 + colour_bar::bar_height / 2;
    QCOMPARE(image.pixel(5, bar_y), colour_ramp::at(0));
    QCOMPARE(image.pixel(ramp_size.width() - 6, bar_y), colour_ramp::at(1));

    // Categories: one line each under the title, a bar_height square swatch 5 px in.
    value_scale behaviours;
    behaviours.low = 0;
    behaviours.high = 2;
    behaviours.categories = {{"rest", 0x00ff00}, {"fly", 0x0000ff}, {"walk", 0xff0000}};
    const QSize list_size = colour_bar::size(metrics, behaviours, "Behaviour");
    QCOMPARE(list_size.height(), 4 * line + 10);
    colour_bar::paint(painter, QPoint(0, 299), behaviours, "Behaviour");
    const int top = 299 - list_size.height();
    for (int c = 0; c < 3; ++c)
        QCOMPARE(image.pixel(5 + colour_bar::bar_height / 2, top + 5 + (c + 1) * line + line / 2),
                 0xff000000u | behaviours.categories[std::size_t(c)].second);
}

QTEST_MAIN(test_colour_bar)
#include "test_colour_bar.moc"

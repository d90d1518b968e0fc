// The detail pane's sample plot: where the samples land, the envelope of long bursts, hidden axes.
#include "data/model/burst.h"
#include "support/line_pictures.h"
#include "views/burst/burst_samples_plot.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <memory>

namespace {

const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);

QImage painted(const burst& b, const std::optional<burst_calibration>& calibration, bool show_y = true)
{
    QImage image(640, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const bool shown[3] = {true, show_y, true};
    burst_samples_plot::paint(painter, image.rect(), b, calibration, axis_palette::standard(), shown);
    return image;
}

using test_support::rows_of;

} // namespace

class test_burst_samples_plot : public QObject
{
    Q_OBJECT

private slots:
    void constant_axes_lie_on_their_rows();
    void long_burst_is_drawn_as_column_ranges();
    void hidden_axis_is_not_drawn();
};

void test_burst_samples_plot::constant_axes_lie_on_their_rows()
{
    // X 1000, Y 2000, Z 3000: the range 1000 ... 3000 padded by 5 % (100) either side.
    const auto made = burst::make(0, 10.0, 10, std::vector<float>(10, 1000.f),
                                  std::vector<float>(10, 2000.f), std::vector<float>(10, 3000.f));
    const burst& b = *made;
    const QImage image = painted(b, std::nullopt);
    const QRect r = burst_samples_plot::plot_area(image.size());
    const int x = r.center().x();
    auto row = [&](double v) {
        return static_cast<int>(std::lround(r.bottom() - (v - 900) * (r.height() - 1) / 2200));
    };
    const QRgb colours[3] = {red, green, blue};
    const double values[3] = {1000, 2000, 3000};
    for (int a = 0; a < 3; ++a) {
        const QPair<int, int> rows = rows_of(image, x, colours[a]);
        QVERIFY2(std::abs(rows.first - row(values[a])) <= 1, qPrintable(QString::number(a)));
        QCOMPARE(rows.first, rows.second);
    }
    // In g the same rows hold: the calibration scales the axis with the values.
    burst_calibration c;
    for (auto& axis : c.axes)
        axis = {1000, 500};
    const QImage in_g = painted(b, c);
    for (int a = 0; a < 3; ++a)
        QCOMPARE(rows_of(in_g, x, colours[a]), rows_of(image, x, colours[a]));
}

void test_burst_samples_plot::long_burst_is_drawn_as_column_ranges()
{
    // 10,000 samples alternating 1000 / 3000 on X: every column spans the whole range.
    std::vector<float> x(10000), y(10000, 2000.f), z(10000, 2000.f);
    for (std::size_t k = 0; k < x.size(); ++k)
        x[k] = k % 2 ? 3000.f : 1000.f;
    const auto made = burst::make(0, 100.0, 10000, x, y, z);
    const burst& b = *made;
    const QImage image = painted(b, std::nullopt);
    const QRect r = burst_samples_plot::plot_area(image.size());
    for (int c = r.left() + 1; c < r.right() - 1; c += 37) {
        const QPair<int, int> rows = rows_of(image, c, red);
        QVERIFY2(rows.first >= 0 && rows.second - rows.first > r.height() * 0.8,
                 qPrintable(QString::number(c)));
    }
}

void test_burst_samples_plot::hidden_axis_is_not_drawn()
{
    const auto made = burst::make(0, 10.0, 10, std::vector<float>(10, 1000.f),
                                  std::vector<float>(10, 2000.f), std::vector<float>(10, 3000.f));
    const burst& b = *made;
    const QImage image = painted(b, std::nullopt, false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == green)
                QFAIL("the hidden Y axis is drawn");
    QVERIFY(rows_of(image, burst_samples_plot::plot_area(image.size()).center().x(), red).first >= 0);
}

QTEST_MAIN(test_burst_samples_plot)
#include "test_burst_samples_plot.moc"

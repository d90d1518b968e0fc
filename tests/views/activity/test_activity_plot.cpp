// Activity per six-minute bin and the actogram image: bins, sample times, values, pixels.
#include "views/activity/activity_plot.h"
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "data/io/dornvale_version.h"

#include <QColor>
#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include "support/burst_builder.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <vector>

namespace {

constexpr qint64 day_ms = 86400000;
constexpr qint64 bin_ms = 360000;
constexpr qint64 march_1 = 1709251200000; // 2024-03-01T00:00:00Z

// Keeps the model's summary lines out of the test output.
using message_log = test_support::debug_capture;
using test_support::plain_burst;

QImage plot_of(const burst_space& space, const QString& name = QStringLiteral("a.csv"))
{
    message_log quiet;
    return activity_plot_image(space, name);
}

int grey_at(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
        return -1;
    return qRed(c);
}

bool all_white(const QImage& image, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// Text drawn on a white image of the plot's size, as a reference for the plot's labels.
QImage text_reference(const QSize& size, const QPoint& at, const QString& text)
{
    QImage ref(size, QImage::Format_RGB888);
    ref.fill(Qt::white);
    QPainter p(&ref);
    p.drawText(at, text);
    p.end();
    return ref;
}

bool same_pixels(const QImage& a, const QImage& b, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// The activity rules written out literally, bin by bin with accumulated sample times: the reference
// the calculator must match exactly.
std::vector<double> literal_activities(const burst_space& space, qint64 begin, qint64 count)
{
    std::vector<double> out;
    for (qint64 k = 0; k < count; ++k) {
        const qint64 s = begin + k * bin_ms;
        const qint64 e = s + bin_ms;
        qint32 h = space.burst_index_for_timestamp(s);
        const qint32 i = space.burst_index_for_timestamp(e);
        if (h < 0 && i >= 0)
            h = 0;
        std::vector<float> X, Y, Z;
        if (h >= 0 && i >= 0) {
            for (qint32 b = h; b <= i; ++b) {
                const burst& bu = *space.entry(b).burst;
                const auto step = static_cast<qint64>(std::trunc(1000.0 / bu.sampling_frequency_per_axis));
                qint64 t = bu.start_timestamp;
                for (qint32 j = 0; j < bu.sample_count; ++j, t += step) {
                    if (s <= t && t < e) {
                        X.push_back(bu.x[static_cast<std::size_t>(j)]);
                        Y.push_back(bu.y[static_cast<std::size_t>(j)]);
                        Z.push_back(bu.z[static_cast<std::size_t>(j)]);
                    }
                }
            }
        }
        double a = 0;
        if (X.size() >= 2) {
            double sum = 0;
            for (std::size_t m = 0; m + 1 < X.size(); ++m)
                sum += static_cast<double>(std::fabs(X[m] - X[m + 1])) +
                       static_cast<double>(std::fabs(Y[m] - Y[m + 1])) +
                       static_cast<double>(std::fabs(Z[m] - Z[m + 1]));
            a = sum / (3.0 * static_cast<double>(X.size() - 1));
        }
        out.push_back(a);
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<test_support::plain_burst>)
Q_DECLARE_METATYPE(std::vector<double>)

class test_activity_plot : public QObject
{
    Q_OBJECT

private slots:
    void one_day_gives_one_row();
    void bursts_around_midnight_give_two_rows();
    void bounds_and_debug_lines();
    void empty_space_gives_header_only();
    void header_text();

    void bin_activity_data();
    void bin_activity();
    void frequency_zero_locates_only_the_first_sample();
    void matches_the_literal_rules_data();
    void matches_the_literal_rules();

    void grey_follows_the_power_law();
    void one_outlier_leaves_the_other_shades();
    void hour_lines_over_the_bars();

    void spans_over_twenty_years_refused();
    void behaviour_legend_under_the_header();
    void figure_legend_clear_of_the_title();
};

void test_activity_plot::one_day_gives_one_row()
{
    const auto space =
        test_support::plain_space({{march_1 + 3600000, 10, {1, 2}}, {march_1 + 20 * 3600000, 10, {5, 1}}});
    activity_calculator calc(*space);
    QCOMPARE(calc.bin_count, qint64(240));
    QCOMPARE(calc.duration, day_ms);

    const QImage image = plot_of(*space);
    QCOMPARE(image.size(), QSize(512, 80));
    QCOMPARE(image.format(), QImage::Format_RGB888);
    // Between the hour grid and the labels a horizontal grid line would show on every row it lies.
    for (int y = 64; y < image.height(); ++y)
        QVERIFY2(all_white(image, QRect(242, y, 7, 1)), qPrintable(QString::number(y)));
    const QImage label = text_reference(image.size(), QPoint(250, 78), QStringLiteral("2024-03-01"));
    QVERIFY(!all_white(image, QRect(250, 64, 262, 16)));
    QVERIFY(same_pixels(image, label, QRect(242, 64, 270, 16)));
}

void test_activity_plot::bursts_around_midnight_give_two_rows()
{
    const qint64 late = march_1 + day_ms - 60000;
    const auto space =
        test_support::plain_space({{late, 10, {0, 4}}, {march_1 + day_ms + 60000, 10, {0, 2}}});
    activity_calculator calc(*space);
    QCOMPARE(calc.plot_begin, march_1);
    QCOMPARE(calc.plot_end, march_1 + 2 * day_ms);
    QCOMPARE(calc.bin_count, qint64(480));
    QCOMPARE(calc.activities.size(), std::size_t(480));
    QCOMPARE(calc.activities[239], 4.0);
    QCOMPARE(calc.activities[240], 2.0);
    QCOMPARE(calc.max_activity, 4.0);

    const QImage image = plot_of(*space);
    QCOMPARE(image.size(), QSize(512, 96));
    // The grid line between the two day rows, and none after the last row.
    QCOMPARE(grey_at(image, 245, 80), 192);
    QCOMPARE(grey_at(image, 245, 95), 255);
    QImage labels = text_reference(image.size(), QPoint(250, 78), QStringLiteral("2024-03-01"));
    {
        QPainter p(&labels);
        p.setPen(QColor(192, 192, 192));
        p.drawLine(0, 80, 512, 80);
        p.setPen(Qt::black);
        p.drawText(QPoint(250, 94), QStringLiteral("2024-03-02"));
    }
    QVERIFY(same_pixels(image, labels, QRect(242, 64, 270, 32)));
    // The last bin of the first day and the first of the second day, at columns 239 and 0 (under the
    // dark hour line, so checked one column later for the second day's second bin being white).
    QCOMPARE(grey_at(image, 239, 70), 0);
    QCOMPARE(grey_at(image, 1, 86), 255);
}

void test_activity_plot::bounds_and_debug_lines()
{
    // A burst before the epoch lies on the UTC day before 1970-01-01.
    const auto space = test_support::plain_space({{-1, 10, {1}}, {5 * bin_ms + 7, 10, {1}}});
    message_log log;
    activity_calculator calc(*space);
    QCOMPARE(calc.plot_begin, -day_ms);
    QCOMPARE(calc.plot_end, day_ms);
    QCOMPARE(calc.bin_width, bin_ms);
    QCOMPARE(calc.bin_count, qint64(480));
    QCOMPARE(message_log::lines().size(), 4);
    QCOMPARE(message_log::lines()[0], QStringLiteral("plot begin:  -86400000"));
    QCOMPARE(message_log::lines()[1], QStringLiteral("plot end:  86400000"));
    QVERIFY(message_log::lines()[2].startsWith(
        QStringLiteral("bs begin:  QDateTime(1969-12-31 23:59:59.999 UTC")));
    QVERIFY(
        message_log::lines()[3].startsWith(QStringLiteral("bs end:  QDateTime(1970-01-01 00:30:00.007 UTC")));
}

void test_activity_plot::empty_space_gives_header_only()
{
    const auto space = test_support::plain_space(std::vector<plain_burst>{});
    activity_calculator calc(*space);
    QCOMPARE(calc.bin_count, qint64(0));
    QCOMPARE(calc.duration, qint64(0));
    QVERIFY(calc.activities.empty());
    QCOMPARE(calc.max_activity, 0.0);

    const QImage image = plot_of(*space);
    QCOMPARE(image.size(), QSize(512, 64));
    QVERIFY(!all_white(image, QRect(10, 0, 200, 20)));
}

void test_activity_plot::header_text()
{
    const auto space = test_support::plain_space({{march_1, 10, {1, 2}}});
    const QImage image = plot_of(*space, QStringLiteral("C:/data/tag 42_acc.txt"));
    QImage ref =
        text_reference(image.size(), QPoint(10, 16), QStringLiteral("activity plot (Dornvale - v0.1.3)"));
    {
        QPainter p(&ref);
        p.drawText(QPoint(10, 32), QStringLiteral("file: C:/data/tag 42_acc.txt"));
    }
    const QFontMetrics fm(QPainter(&ref).font());
    // Down to the descent of the second line, clear of the third line's ascent.
    const int bottom = std::min(32 + fm.descent(), 48 - fm.ascent() - 1);
    QVERIFY(same_pixels(image, ref, QRect(0, 0, 512, bottom + 1)));
    QCOMPARE(QStringLiteral(DORNVALE_VERSION), QStringLiteral("v0.1.3"));
    // The third line: "generated on: " and a time stamp, all left of the labels' column.
    QVERIFY(!all_white(image, QRect(10, 36, 240, 14)));
}

void test_activity_plot::bin_activity_data()
{
    add_columns<double, qint64, std::vector<float>, double, double>(
        "frequency",
        "offset", // start of the burst after the start of bin 100
        "values",
        "first",   // activity of bin 100
        "second"); // activity of bin 101

    add_row("one sample", 10.0, qint64(1000), std::vector<float>{2000}, 0.0, 0.0);
    add_row("2000 2010 2000", 10.0, qint64(0), std::vector<float>{2000, 2010, 2000}, 10.0, 0.0);
    // 0 at e - 200, 4 at e - 100, 100 exactly at the end e: the next bin's only sample.
    add_row("sample at bin end", 10.0, bin_ms - 200, std::vector<float>{0, 4, 100}, 4.0, 0.0);
    add_row("10 Hz, 100 ms", 10.0, bin_ms - 300, std::vector<float>{0, 1, 3, 7, 15}, 1.5, 8.0);
    // 333 ms: e - 1000, e - 667, e - 334, e - 1 in the bin (with 333.33 ms the fourth would be at e).
    add_row("3 Hz, 333 ms", 3.0, bin_ms - 1000, std::vector<float>{0, 1, 2, 10, 10}, 10.0 / 3, 0.0);
    // 1000 / 33.33 = 30.003 ms, truncated to 30.
    add_row("33.33 Hz, 30 ms", 33.33, bin_ms - 60, std::vector<float>{0, 6, 1, 3}, 6.0, 2.0);
    // Above 1000 Hz the step truncates to 0: every sample at the start time.
    add_row("2 kHz, 0 ms", 2000.0, bin_ms - 1, std::vector<float>{0, 3, 0, 3}, 3.0, 0.0);
    // Mixed signs, fractions: the differences in single precision.
    add_row("fractions", 10.0, qint64(0), std::vector<float>{-1.5f, 0.25f, -0.5f}, 1.25, 0.0);
    // A sample that is not finite is left out; a difference past the float range is taken in double.
    add_row("inf, NaN", 10.0, qint64(0), std::vector<float>{0, INFINITY, 4, NAN}, 4.0, 0.0);
    add_row("3e38", 10.0, qint64(0), std::vector<float>{-3e38f, 3e38f}, 2.0 * 3e38f, 0.0);
}

void test_activity_plot::bin_activity()
{
    auto [frequency, offset, values, first, second] =
        fetch<double, qint64, std::vector<float>, double, double>("frequency", "offset", "values", "first",
                                                                  "second");

    // An anchor burst at the start of the day keeps plot_begin fixed; it has a single sample.
    const qint64 s = march_1 + 100 * bin_ms;
    const auto space = test_support::plain_space({{march_1, 10, {7}}, {s + offset, frequency, values}});
    activity_calculator calc(*space);
    QCOMPARE(calc.plot_begin, march_1);
    QCOMPARE(calc.activities[0], 0.0);
    QCOMPARE(calc.activities[100], first);
    QCOMPARE(calc.activities[101], second);
    QCOMPARE(calc.max_activity, std::max(first, second));
    QCOMPARE(calc.not_finite_samples, qint64(QTest::currentDataTag() == QByteArray("inf, NaN") ? 2 : 0));
    QCOMPARE(calc.activities[99], 0.0);
    QCOMPARE(calc.activities[102], 0.0);
}

void test_activity_plot::frequency_zero_locates_only_the_first_sample()
{
    // An unreadable frequency is stored as 0: the first sample has a time, the others have none.
    const qint64 s = march_1 + 3 * bin_ms;
    const auto space = test_support::plain_space({{s + 10, 0.0, {1, 50, 90}}, {s + 20, 10, {5, 6}}});
    activity_calculator calc(*space);
    QCOMPARE(calc.activities[3], (4.0 + 1.0) / 2);
    for (qint64 k = 4; k < calc.bin_count; ++k)
        QCOMPARE(calc.activities[static_cast<std::size_t>(k)], 0.0);
}

void test_activity_plot::matches_the_literal_rules_data()
{
    QTest::addColumn<std::vector<plain_burst>>("bursts");
    QRandomGenerator rng(20240301);
    const double rates[] = {1, 3, 10, 20, 33.33, 0.7, 1500};
    const auto values = [&rng](int n) {
        std::vector<float> v(static_cast<std::size_t>(n));
        for (auto& x : v)
            x = static_cast<float>(rng.bounded(4096)) + static_cast<float>(rng.bounded(4)) * 0.25f;
        return v;
    };
    for (int round = 0; round < 6; ++round) {
        std::vector<plain_burst> list;
        qint64 t = march_1 + static_cast<qint64>(rng.bounded(86400000));
        const int count = 20 + static_cast<int>(rng.bounded(60));
        for (int b = 0; b < count; ++b) {
            // Gaps from none (equal starts) to hours; some bursts long enough to overlap the next ones.
            const int gap_kind = static_cast<int>(rng.bounded(5));
            t += gap_kind == 0 ? 0 : gap_kind == 1 ? rng.bounded(1000) : rng.bounded(3 * 3600000);
            const double f = rates[rng.bounded(7)];
            const int n = static_cast<int>(rng.bounded(gap_kind == 4 ? 2000 : 120));
            list.push_back({t, f, values(n)});
        }
        add_row(qPrintable(QStringLiteral("random %1").arg(round)), list);
    }
    // A long burst that starts before a later one: the later start hides it from the next bins.
    add_row("overlap", std::vector<plain_burst>{{march_1 + bin_ms - 5000, 1, values(900)},
                                                {march_1 + bin_ms - 1000, 10, values(30)}});
    add_row("equal starts at a bin start", std::vector<plain_burst>{{march_1 + bin_ms, 10, values(50)},
                                                                    {march_1 + bin_ms, 10, values(50)},
                                                                    {march_1 + 2 * bin_ms, 10, values(50)},
                                                                    {march_1 + 2 * bin_ms, 3, values(50)}});
}

void test_activity_plot::matches_the_literal_rules()
{
    QFETCH(std::vector<plain_burst>, bursts);
    const auto space = test_support::plain_space(bursts);
    activity_calculator calc(*space);
    const std::vector<double> expected = literal_activities(*space, calc.plot_begin, calc.bin_count);
    QCOMPARE(calc.activities.size(), expected.size());
    double max = 0;
    int active = 0;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        QVERIFY2(calc.activities[k] == expected[k], qPrintable(QStringLiteral("bin %1").arg(k)));
        max = std::max(max, expected[k]);
        active += expected[k] > 0;
    }
    QCOMPARE(calc.max_activity, max);
    QVERIFY(active > 0);
}

void test_activity_plot::grey_follows_the_power_law()
{
    // Bin 31 has activity 8 (the maximum), bin 35 has 1: w = 0.125^0.3, grey 118; bin 33 has none.
    const auto space =
        test_support::plain_space({{march_1 + 31 * bin_ms, 10, {0, 8}}, {march_1 + 35 * bin_ms, 10, {0, 1}}});
    const QImage image = plot_of(*space);
    for (int y = 66; y <= 78; ++y) {
        QCOMPARE(grey_at(image, 31, y), 0);
        QCOMPARE(grey_at(image, 35, y), 118);
        QCOMPARE(grey_at(image, 33, y), 255);
    }
    QCOMPARE(grey_at(image, 35, 65), 255);
    QCOMPARE(grey_at(image, 35, 79), 255);
}

void test_activity_plot::one_outlier_leaves_the_other_shades()
{
    // Activities 1 and 1e30: black stands for 1000 times the median 1, so 1 gets w = 0.001^0.3, grey 222.
    const auto space = test_support::plain_space(
        {{march_1 + 33 * bin_ms, 10, {0, 1}}, {march_1 + 35 * bin_ms, 10, {0, 1e30f}}});
    const QImage image = plot_of(*space);
    QCOMPARE(grey_at(image, 33, 70), 222);
    QCOMPARE(grey_at(image, 35, 70), 0);
}

void test_activity_plot::hour_lines_over_the_bars()
{
    // Full activity under every hour line and right beside it.
    std::vector<plain_burst> list;
    for (int m = 0; m < 24; ++m)
        for (int c : {10 * m, 10 * m + 1})
            list.push_back({march_1 + c * bin_ms, 10, {0, 5}});
    const auto space = test_support::plain_space(list);
    const QImage image = plot_of(*space);
    for (int m = 0; m <= 24; ++m) {
        const int want = m % 6 == 0 ? 64 : 192;
        for (int y : {64, 70, 78, 79})
            QCOMPARE(grey_at(image, 10 * m, y), want);
        if (m < 24)
            QCOMPARE(grey_at(image, 10 * m + 1, 70), 0);
    }
    QCOMPARE(grey_at(image, 245, 70), 255);
    QCOMPARE(grey_at(image, 5, 63), 255);
}

void test_activity_plot::spans_over_twenty_years_refused()
{
    // 7,305 days (20 years) are drawn; one more day is refused before any bin is computed.
    const qint64 jan_1990 = 631152000000;
    const auto longest =
        test_support::plain_space({{jan_1990, 10, {1, 2}}, {jan_1990 + 7304 * day_ms + 5, 10, {1, 3}}});
    QCOMPARE(activity_plot_refusal(*longest), QString());
    {
        activity_calculator calc(*longest);
        QVERIFY(!calc.too_long);
        QCOMPARE(calc.bin_count, qint64(7305 * 240));
    }
    QCOMPARE(plot_of(*longest).size(), QSize(512, (7305 + 4) * 16));

    const auto over =
        test_support::plain_space({{jan_1990, 10, {1, 2}}, {jan_1990 + 7305 * day_ms, 10, {1, 3}}});
    QCOMPARE(activity_plot_refusal(*over),
             QString("The activity plot is not drawn: the bursts span 7306 days (1990-01-01 to 2010-01-01), "
                     "more than 20 years (7305 days). Check the file for wrong start times."));
    message_log log;
    activity_calculator calc(*over);
    QVERIFY(calc.too_long);
    QCOMPARE(calc.bin_count, qint64(0));
    QVERIFY(calc.activities.empty());
    QVERIFY(plot_of(*over).isNull());

    // Years 1 to 9999 are refused at once.
    const auto widest = test_support::plain_space({{-62135596800000, 10, {1}}, {253402300799999, 10, {1}}});
    QVERIFY(activity_plot_refusal(*widest).startsWith("The activity plot is not drawn: the bursts span "));
    QVERIFY(plot_of(*widest).isNull());
    QCOMPARE(activity_plot_refusal(*test_support::plain_space(std::vector<plain_burst>{})), QString());
}

void test_activity_plot::behaviour_legend_under_the_header()
{
    const auto space = test_support::plain_space({{march_1 + 3600000, 10, {1, 2}}});
    const activity_calculator calc(*space);
    activity_plot_options o;
    o.behaviour_rgb.assign(std::size_t(calc.bin_count), -1);
    o.behaviour_rgb[11] = 0xff0000;
    o.behaviour_legend = {{"fly", 0xff0000}, {"rest", 0x00aa00}, {"forage", 0x0000ff}, {"walk", 0xffaa00}};
    const QDateTime when(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    const QImage image = activity_plot_image(calc, QStringLiteral("stork2241_acc.txt"), o, when);
    // The header's three lines above any legend colour; the legend in rows below.
    for (int y = 0; y < 53; ++y)
        QVERIFY(image.pixel(10 + 2 * 128, y) != qRgb(0, 0, 255));
    // Three entries a row of (512 - 10) / 128: two rows of 16 pixels more.
    QCOMPARE(image.size(), QSize(512, 80 + 32));
    QCOMPARE(image.pixel(10 + 2 * 128, 56), qRgb(0, 0, 255));
    QCOMPARE(image.pixel(10, 56 + 16), qRgb(255, 170, 0));
    QCOMPARE(image.pixel(11, 32 + 65), qRgb(255, 255, 255));
    QCOMPARE(image.pixel(11, 32 + 66), qRgb(255, 0, 0)); // bin 11, in the row moved down by the legend
}

void test_activity_plot::figure_legend_clear_of_the_title()
{
    const auto space =
        test_support::plain_space({{march_1 + 3600000, 10, {1, 2}}, {march_1 + 2 * day_ms, 10, {5, 1}}});
    const activity_calculator calc(*space);
    activity_plot_options behaviours;
    behaviours.double_plot = true;
    for (int k = 0; k < 12; ++k)
        behaviours.behaviour_legend.emplace_back(QStringLiteral("behaviour %1").arg(k), 0x102030 * k);
    const QString long_name(300, QLatin1Char('x'));
    for (const auto& [name, o] :
         {std::make_pair(QStringLiteral("stork2241_acc.txt"), activity_plot_options()),
          std::make_pair(long_name, behaviours)}) {
        const QRect title = activity_figure_title_rect(calc, name, o);
        const QRect legend = activity_figure_legend_rect(calc, name, o);
        QVERIFY(!legend.isEmpty());
        QVERIFY(!legend.intersects(title));
        // Title and legend within the figure: the name reads in full however long.
        const QRect figure(QPoint(0, 0), activity_figure_size(calc, name, o));
        QVERIFY(figure.contains(title) && figure.contains(legend));
    }
}

QTEST_MAIN(test_activity_plot)
#include "test_activity_plot.moc"

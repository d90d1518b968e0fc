// Activity plot options and numbers out: the default picture against the plain drawing rules, the CSV
// against the picture's bins, double-plot rows, days on a clock ahead of or behind UTC.
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "data/io/dornvale_version.h"

#include "support/burst_builder.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr qint64 day_ms = 86400000;
constexpr qint64 bin_ms = 360000;
constexpr qint64 march_1 = 1709251200000; // 2024-03-01T00:00:00Z

using test_support::plain_burst;

std::unique_ptr<activity_calculator> calc_of(const burst_space& space, qint64 offset_ms = 0)
{
    test_support::debug_capture quiet;
    return std::make_unique<activity_calculator>(space, offset_ms);
}

// Several days of bursts at random times, rates and values.
std::vector<plain_burst> random_days(quint32 seed, int days)
{
    QRandomGenerator rng(seed);
    std::vector<plain_burst> list;
    qint64 t = march_1 + static_cast<qint64>(rng.bounded(3600000));
    while (t < march_1 + days * day_ms) {
        std::vector<float> v(static_cast<std::size_t>(rng.bounded(80)));
        for (auto& x : v)
            x = static_cast<float>(rng.bounded(4096)) + static_cast<float>(rng.bounded(4)) * 0.25f;
        list.push_back({t, rng.bounded(2) ? 10.0 : 33.33, std::move(v)});
        t += rng.bounded(2 * 3600000);
    }
    return list;
}

// The actogram drawn literally by the rules the program has always used for its default picture.
QImage old_picture(const activity_calculator& calc, const QString& file_name, const QDateTime& generated)
{
    const qint64 days = calc.duration / day_ms;
    const int height = static_cast<int>((days + 4) * 16);
    QImage image(512, height, QImage::Format_RGB888);
    QPainter p(&image);
    p.setBackground(QBrush(Qt::white, Qt::SolidPattern));
    p.eraseRect(image.rect());
    p.drawText(QPoint(10, 16), QStringLiteral("activity plot (Dornvale - v0.1.3)"));
    p.drawText(QPoint(10, 32), QStringLiteral("file: ") + file_name);
    p.drawText(QPoint(10, 48), QStringLiteral("generated on: ") +
                                   generated.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss t")));
    for (qint64 k = 0; k < calc.bin_count; ++k) {
        const double a = calc.activities[static_cast<std::size_t>(k)];
        float w = 0;
        if (a > 0)
            w = std::min(1.0f, static_cast<float>(std::pow(a / calc.max_activity, 0.3)));
        const int grey = static_cast<int>((1 - w) * 255);
        p.setPen(QColor(grey, grey, grey));
        const auto day = static_cast<int>(k / 240);
        const auto c = static_cast<int>(k % 240);
        p.drawLine(c, day * 16 + 78, c, day * 16 + 66);
    }
    QDate d = QDateTime::fromMSecsSinceEpoch(calc.plot_begin, Qt::UTC).date();
    for (int r = 0; r < height / 16; ++r) {
        p.setPen(QColor(192, 192, 192));
        p.drawLine(0, r * 16 + 80, 512, r * 16 + 80);
        p.setPen(Qt::black);
        p.drawText(QPoint(250, r * 16 + 78), d.toString(Qt::ISODate));
        d = d.addDays(1);
    }
    for (int m = 0; m <= 24; ++m) {
        p.setPen(m % 6 == 0 ? QColor(64, 64, 64) : QColor(192, 192, 192));
        p.drawLine(10 * m, 64, 10 * m, height);
    }
    return image;
}

int grey_at(const QImage& image, int x, int y)
{
    const QRgb c = image.pixel(x, y);
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) ? qRed(c) : -1;
}

bool same_pixels(const QImage& a, const QPoint& at_a, const QImage& b, const QPoint& at_b, const QSize& size)
{
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (a.pixel(at_a.x() + x, at_a.y() + y) != b.pixel(at_b.x() + x, at_b.y() + y))
                return false;
    return true;
}

QStringList csv_lines(const activity_calculator& calc)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!write_activity_csv(calc, buffer, &error))
        return {QStringLiteral("write failed: ") + error};
    return QString::fromUtf8(buffer.data()).split('\n');
}

// Samples of the space whose time start + j * trunc(1000 / f) lies in [s, e), counted one by one.
qint64 samples_in(const burst_space& space, qint64 s, qint64 e)
{
    qint64 n = 0;
    for (qint32 i = 0; i < space.entry_count(); ++i) {
        const burst& b = *space.entry(i).burst;
        const auto step = static_cast<qint64>(std::trunc(1000.0 / b.sampling_frequency_per_axis));
        for (qint32 j = 0; j < b.sample_count; ++j)
            n += s <= b.start_timestamp + j * step && b.start_timestamp + j * step < e;
    }
    return n;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<plain_burst>)

class test_activity_plot_options : public QObject
{
    Q_OBJECT

private slots:
    void default_picture_is_unchanged_data();
    void default_picture_is_unchanged();
    void options_text_data();
    void options_text();
    void export_path_data();
    void export_path();

    void csv_is_the_picture_s_bins();
    void csv_lines_exactly();
    void failed_write_reports_the_device_error();

    void double_plot_rows_are_single_rows_a_day_on();
    void options_in_the_header();
    void utc_offset_moves_bins_data();
    void utc_offset_moves_bins();
    void utc_offset_keeps_every_value();
};

void test_activity_plot_options::default_picture_is_unchanged_data()
{
    QTest::addColumn<std::vector<plain_burst>>("bursts");
    add_row("empty", std::vector<plain_burst>{});
    add_row("one burst", std::vector<plain_burst>{{march_1 + 7 * bin_ms, 10, {0, 5, 1}}});
    add_row("four random days", random_days(7, 4));
    add_row("eleven random days", random_days(11, 11));
}

void test_activity_plot_options::default_picture_is_unchanged()
{
    QFETCH(std::vector<plain_burst>, bursts);
    const auto space = test_support::plain_space(bursts);
    const auto calc = calc_of(*space);
    const QDateTime generated(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    const QString name = QStringLiteral("/data/tags/1234_acc.txt");
    const QImage expected = old_picture(*calc, name, generated);
    QCOMPARE(activity_plot_image(*calc, name, activity_plot_options(), generated), expected);

    // The plot from the space alone differs only in the time it was generated.
    QImage now;
    {
        test_support::debug_capture quiet;
        now = activity_plot_image(*space, name);
    }
    QCOMPARE(now.size(), expected.size());
    QCOMPARE(now.format(), QImage::Format_RGB888);
    QVERIFY(same_pixels(now, QPoint(0, 0), expected, QPoint(0, 0), QSize(512, 34)));
    QVERIFY(same_pixels(now, QPoint(0, 52), expected, QPoint(0, 52), QSize(512, expected.height() - 52)));
}

void test_activity_plot_options::options_text_data()
{
    add_columns<bool, int, QString, QString>("double_plot", "minutes", "text", "offset");
    add_row("defaults", false, 0, QString(), QStringLiteral("UTC"));
    add_row("double", true, 0, QStringLiteral("double plot"), QStringLiteral("UTC"));
    add_row("+05:30", false, 330, QStringLiteral("hours in UTC+05:30"), QStringLiteral("UTC+05:30"));
    add_row("both, -03:00", true, -180, QStringLiteral("double plot, hours in UTC-03:00"),
            QStringLiteral("UTC-03:00"));
    add_row("-00:45", false, -45, QStringLiteral("hours in UTC-00:45"), QStringLiteral("UTC-00:45"));
    add_row("+14:00", false, 840, QStringLiteral("hours in UTC+14:00"), QStringLiteral("UTC+14:00"));
}

void test_activity_plot_options::options_text()
{
    auto [double_plot, minutes, text, offset] =
        fetch<bool, int, QString, QString>("double_plot", "minutes", "text", "offset");
    activity_plot_options o;
    o.double_plot = double_plot;
    o.utc_offset_minutes = minutes;
    QCOMPARE(o.describe(), text);
    QCOMPARE(o.is_default(), text.isEmpty());
    QCOMPARE(o.utc_offset_ms(), qint64(minutes) * 60000);
    QCOMPARE(activity_utc_offset_text(minutes), offset);
}

void test_activity_plot_options::export_path_data()
{
    add_columns<QString, QString, QString>("data", "suffix", "path");
    add_row("png", "/data/tags/1234_acc.txt", "png", "/data/tags/1234_acc-activity.png");
    add_row("only the last suffix goes", "/d/tag.2024.csv", "csv", "/d/tag.2024-activity.csv");
    add_row("no suffix", "/d/e/noext", "pdf", "/d/e/noext-activity.pdf");
    add_row("relative", "x/a.csv", "svg", QDir::current().filePath("x/a-activity.svg"));
}

void test_activity_plot_options::export_path()
{
    auto [data, suffix, path] = fetch<QString, QString, QString>("data", "suffix", "path");
    QCOMPARE(activity_export_path(data, suffix), path);
}

void test_activity_plot_options::csv_is_the_picture_s_bins()
{
    const auto space = test_support::plain_space(random_days(19, 3));
    const auto calc = calc_of(*space);
    const QImage image = activity_plot_image(*calc, QStringLiteral("a.csv"), activity_plot_options());
    const QStringList lines = csv_lines(*calc);
    QCOMPARE(lines.size(), int(calc->bin_count) + 2); // header, bins, nothing after the last line end
    QCOMPARE(lines.first(), QStringLiteral("bin_start_utc,day,bin_of_day,samples,activity"));
    QCOMPARE(lines.last(), QString());
    QCOMPARE(calc->bin_count, qint64(3 * 240));

    int drawn = 0, with_samples = 0;
    double max = 0;
    for (qint64 k = 0; k < calc->bin_count; ++k) {
        const QStringList f = lines[int(k) + 1].split(',');
        QCOMPARE(f.size(), 5);
        const qint64 start = march_1 + k * bin_ms;
        QCOMPARE(f[0], QDateTime::fromMSecsSinceEpoch(start, Qt::UTC).toString(Qt::ISODate));
        QCOMPARE(f[1].toLongLong(), k / 240);
        QCOMPARE(f[2].toLongLong(), k % 240);
        QCOMPARE(f[3].toLongLong(), samples_in(*space, start, start + bin_ms));
        with_samples += f[3].toLongLong() > 0;
        // Read back, the value is the very double the picture was drawn from.
        const QByteArray text = f[4].toLatin1();
        char* end = nullptr;
        const double a = std::strtod(text.constData(), &end);
        QCOMPARE(end, text.constData() + text.size());
        QVERIFY2(a == calc->activities[static_cast<std::size_t>(k)], qPrintable(QString::number(k)));
        max = std::max(max, a);
        // Columns under the hour lines show the line, not the bin.
        const int c = int(k % 240);
        if (c % 10 != 0) {
            const int want =
                a > 0 ? static_cast<int>((1 - std::min(1.0f, float(std::pow(a / calc->max_activity, 0.3)))) *
                                         255)
                      : 255;
            QCOMPARE(grey_at(image, c, int(k / 240) * 16 + 70), want);
            drawn += want < 255;
        }
    }
    QCOMPARE(max, calc->max_activity);
    QVERIFY(drawn > 20);
    QVERIFY(with_samples > 20);
}

void test_activity_plot_options::csv_lines_exactly()
{
    // 2000, 2010, 2000 at 10 Hz in bin 100 (10:00 UTC): activity 10 from 3 samples; one sample in bin
    // 239; 0.25 steps give a value with a fraction.
    const auto space =
        test_support::plain_space({{march_1 + 100 * bin_ms, 10, {2000, 2010, 2000}},
                                   {march_1 + 101 * bin_ms + 5, 10, {0.25f, 0.5f, 0.25f, 0.5f}},
                                   {march_1 + 239 * bin_ms + 359999, 10, {7}}});
    const QStringList lines = csv_lines(*calc_of(*space));
    QCOMPARE(lines.size(), 242);
    QCOMPARE(lines[1], QStringLiteral("2024-03-01T00:00:00Z,0,0,0,0"));
    QCOMPARE(lines[100], QStringLiteral("2024-03-01T09:54:00Z,0,99,0,0"));
    QCOMPARE(lines[101], QStringLiteral("2024-03-01T10:00:00Z,0,100,3,10"));
    QCOMPARE(lines[102], QStringLiteral("2024-03-01T10:06:00Z,0,101,4,0.25"));
    QCOMPARE(lines[240], QStringLiteral("2024-03-01T23:54:00Z,0,239,1,0"));

    // A clock 90 minutes behind UTC: the day starts at 01:30 UTC, and the day before holds 10:00 UTC
    // as 08:30, bin 85 of that day.
    const QStringList behind = csv_lines(*calc_of(*space, -90 * 60000));
    QCOMPARE(behind.size(), 242);
    QCOMPARE(behind[1], QStringLiteral("2024-03-01T01:30:00Z,0,0,0,0"));
    QCOMPARE(behind[86], QStringLiteral("2024-03-01T10:00:00Z,0,85,3,10"));
    // 40 minutes ahead (not a whole number of bins): the bins are cut on the clock's six minutes,
    // 10:00 UTC is 10:40 on the clock, in bin 106 (09:56 to 10:02 UTC).
    const QStringList ahead = csv_lines(*calc_of(*space, 40 * 60000));
    QCOMPARE(ahead[1], QStringLiteral("2024-02-29T23:20:00Z,0,0,0,0"));
    QCOMPARE(ahead.size(), 242 + 240); // 23:59:59.999 UTC is 00:39 on the clock's next day
    QCOMPARE(ahead[107], QStringLiteral("2024-03-01T09:56:00Z,0,106,3,10"));
    QCOMPARE(ahead[108], QStringLiteral("2024-03-01T10:02:00Z,0,107,4,0.25"));
    QCOMPARE(ahead[240], QStringLiteral("2024-03-01T23:14:00Z,0,239,0,0"));
    QCOMPARE(ahead[241], QStringLiteral("2024-03-01T23:20:00Z,1,0,0,0"));
    QCOMPARE(ahead[246], QStringLiteral("2024-03-01T23:50:00Z,1,5,0,0"));
    QCOMPARE(ahead[247], QStringLiteral("2024-03-01T23:56:00Z,1,6,1,0"));
}

void test_activity_plot_options::failed_write_reports_the_device_error()
{
    const auto space = test_support::plain_space({{march_1, 10, {1, 2}}});
    QBuffer closed; // never opened: every write fails
    QString error;
    {
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): device not open");
        QVERIFY(!write_activity_csv(*calc_of(*space), closed, &error));
    }
    QCOMPARE(error, closed.errorString());
}

void test_activity_plot_options::double_plot_rows_are_single_rows_a_day_on()
{
    const auto space = test_support::plain_space(random_days(23, 5));
    const auto calc = calc_of(*space);
    const QDateTime generated(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    activity_plot_options twice;
    twice.double_plot = true;
    const QImage single =
        activity_plot_image(*calc, QStringLiteral("a.csv"), activity_plot_options(), generated);
    const QImage dbl = activity_plot_image(*calc, QStringLiteral("a.csv"), twice, generated);
    const int days = int(calc->duration / day_ms);
    QCOMPARE(days, 5);
    QCOMPARE(dbl.size(), QSize(752, single.height()));
    QCOMPARE(activity_plot_size(*calc, twice), dbl.size());

    int dark = 0;
    for (int r = 0; r < days; ++r) {
        const int y = 64 + r * 16 + 1;
        // Left half: day r, as in the single plot; right half: day r + 1, the single plot's next row.
        QVERIFY2(same_pixels(dbl, QPoint(0, y), single, QPoint(0, y), QSize(240, 15)),
                 qPrintable(QString::number(r)));
        if (r + 1 < days) {
            QVERIFY2(same_pixels(dbl, QPoint(240, y), single, QPoint(0, y + 16), QSize(240, 15)),
                     qPrintable(QString::number(r)));
            for (int c = 1; c < 240; ++c)
                dark += grey_at(dbl, 240 + c, y + 5) < 128;
        } else {
            // No day after the last one: its right half shows the grid only.
            for (int c = 0; c < 240; ++c)
                QCOMPARE(grey_at(dbl, 240 + c, y + 5), c % 10 != 0 ? 255 : c % 60 == 0 ? 64 : 192);
        }
    }
    QVERIFY(dark > 20);
    // The hour grid runs on to 48 hours: dark at 30 and 48, light at 47.
    QCOMPARE(grey_at(dbl, 300, 64), 64);
    QCOMPARE(grey_at(dbl, 480, 64), 64);
    QCOMPARE(grey_at(dbl, 470, 64), 192);
    QCOMPARE(grey_at(dbl, 490, 64), 255);
    // The dates stand right of the 48 hours.
    QImage labels(dbl.size(), QImage::Format_RGB888);
    labels.fill(Qt::white);
    {
        QPainter p(&labels);
        p.drawText(QPoint(490, 78), QStringLiteral("2024-03-01"));
    }
    QVERIFY(same_pixels(dbl, QPoint(482, 65), labels, QPoint(482, 65), QSize(270, 14)));
}

void test_activity_plot_options::options_in_the_header()
{
    const auto space = test_support::plain_space({{march_1, 10, {1, 2}}});
    activity_plot_options o;
    o.double_plot = true;
    o.utc_offset_minutes = 330;
    const auto calc = calc_of(*space, o.utc_offset_ms());
    const QImage image = activity_plot_image(*calc, QStringLiteral("a.csv"), o);
    QImage ref(image.size(), QImage::Format_RGB888);
    ref.fill(Qt::white);
    {
        QPainter p(&ref);
        p.drawText(QPoint(10, 16),
                   QStringLiteral("activity plot (Dornvale - v0.1.3) - double plot, hours in UTC+05:30"));
    }
    QVERIFY(same_pixels(image, QPoint(0, 0), ref, QPoint(0, 0), QSize(image.width(), 20)));
}

void test_activity_plot_options::utc_offset_moves_bins_data()
{
    add_columns<qint64, int, QString, int, int>("at",      // a burst's start, ms UTC
                                                "minutes", // clock ahead of UTC
                                                "first",   // date of the plot's first row
                                                "row",     // row of the burst's bin
                                                "column"); // column of the burst's bin
    add_row("UTC", march_1 + 10 * 3600000, 0, "2024-03-01", 0, 100);
    add_row("+1 h", march_1 + 10 * 3600000, 60, "2024-03-01", 0, 110);
    add_row("-1 h", march_1 + 10 * 3600000, -60, "2024-03-01", 0, 90);
    add_row("+5:30", march_1 + 10 * 3600000, 330, "2024-03-01", 0, 155);
    add_row("+1 h across midnight", march_1 + 23 * 3600000 + 30 * 60000, 60, "2024-03-02", 0, 5);
    add_row("-5 h across midnight", march_1 + 2 * 3600000, -300, "2024-02-29", 0, 210);
    add_row("-12 h", march_1 + 11 * 3600000 + 59 * 60000, -720, "2024-02-29", 0, 239);
    add_row("+14 h", march_1 + 10 * 3600000, 840, "2024-03-02", 0, 0);
}

void test_activity_plot_options::utc_offset_moves_bins()
{
    auto [at, minutes, first, row, column] =
        fetch<qint64, int, QString, int, int>("at", "minutes", "first", "row", "column");
    const auto space = test_support::plain_space({{at, 10, {0, 8}}});
    activity_plot_options o;
    o.utc_offset_minutes = minutes;
    const auto calc = calc_of(*space, o.utc_offset_ms());
    QCOMPARE(calc->utc_offset, qint64(minutes) * 60000);
    QCOMPARE(calc->bin_count, qint64(240));
    QCOMPARE(calc->plot_begin,
             QDateTime(QDate::fromString(first, Qt::ISODate), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch() -
                 qint64(minutes) * 60000);
    const std::size_t k = std::size_t(row * 240 + column);
    QCOMPARE(calc->activities[k], 8.0);
    QCOMPARE(calc->samples[k], qint64(2));

    const QImage image = activity_plot_image(*calc, QStringLiteral("a.csv"), o);
    // Under an hour line the line shows.
    QCOMPARE(grey_at(image, column, 64 + row * 16 + 4), column % 10 != 0 ? 0 : column % 60 == 0 ? 64 : 192);
    QImage label(image.size(), QImage::Format_RGB888);
    label.fill(Qt::white);
    {
        QPainter p(&label);
        p.drawText(QPoint(250, 78), first);
    }
    QVERIFY(same_pixels(image, QPoint(250, 65), label, QPoint(250, 65), QSize(262, 14)));
}

void test_activity_plot_options::utc_offset_keeps_every_value()
{
    // On a clock a whole number of bins ahead or behind, every bin keeps its value and moves by
    // offset / 6 minutes columns (into the next or previous row past midnight).
    const auto space = test_support::plain_space(random_days(29, 3));
    const auto utc = calc_of(*space);
    for (int minutes : {6, 60, 222, -6, -330, -720, 840}) {
        const auto moved = calc_of(*space, qint64(minutes) * 60000);
        int active = 0;
        for (qint64 k = 0; k < utc->bin_count; ++k) {
            const double a = utc->activities[std::size_t(k)];
            if (a == 0)
                continue;
            const qint64 start = utc->plot_begin + k * bin_ms;
            const qint64 m = (start - moved->plot_begin) / bin_ms;
            QCOMPARE((start - moved->plot_begin) % bin_ms, qint64(0));
            const qint64 clock = start + qint64(minutes) * 60000;
            QCOMPARE(m % 240, ((clock % day_ms + day_ms) % day_ms) / bin_ms);
            QCOMPARE(m % 240, ((k % 240 + minutes / 6) % 240 + 240) % 240);
            QCOMPARE(moved->activities[std::size_t(m)], a);
            QCOMPARE(moved->samples[std::size_t(m)], utc->samples[std::size_t(k)]);
            ++active;
        }
        QVERIFY(active > 10);
        QCOMPARE(moved->max_activity, utc->max_activity);
    }
}

QTEST_MAIN(test_activity_plot_options)
#include "test_activity_plot_options.moc"

// The burst view: envelope pixels, separators, GPS ticks, time grid, zoom, pan, hover and menu.
#include "data/model/burst.h"
#include "data/model/burst_range.h"
#include "views/burst/burst_paint_panel.h"
#include "data/model/burst_space.h"
#include "support/burst_builder.h"
#include "support/counted_events.h"
#include "support/line_pictures.h"
#include "support/test_support.h"
#include "support/data_table.h"
#include "views/burst/drag_handler_x_offset.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

using test_support::rows_of;
using test_support::streams_capture;

const QRgb white = qRgb(255, 255, 255);
const QRgb red = qRgb(255, 0, 0);
const QRgb green = qRgb(0, 255, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb grey = qRgb(192, 192, 192);
const QRgb brown = qRgb(128, 64, 0);
const QRgb orange = qRgb(255, 128, 0);

// 2021-03-01 00:10:00 UTC
const qint64 t0 = QDateTime(QDate(2021, 3, 1), QTime(0, 10), Qt::UTC).toMSecsSinceEpoch();

// count bursts of n samples, one every interval_ms from t0, at 3 Hz. Axis values follow
// value(axis, k) for sample k of the burst (axis 0, 1, 2 = X, Y, Z).
std::unique_ptr<burst_space> make_space(int count, int n, qint64 interval_ms,
                                        const std::function<float(int, int)>& value)
{
    std::vector<std::unique_ptr<burst>> list;
    test_support::add_bursts(list, count, t0, interval_ms, 3.0, n,
                             [&value](int, int axis, int k) { return value(axis, k); });
    return test_support::space_of(std::move(list));
}

// X climbs steeply from 800, Y and Z stay in narrow bands well apart.
float banded(int axis, int k)
{
    switch (axis) {
    case 0:
        return 800.f + 40.f * static_cast<float>(k % 100) / 2.f;
    case 1:
        return 2000.f + static_cast<float>(k % 7);
    default:
        return 3000.f + static_cast<float>(k % 5);
    }
}

int y_of(double v, int h)
{
    return static_cast<int>(std::trunc(h - h * v / 4096));
}

// A panel over a space, shown at w x h; the first resize has run when it returns.
struct fixture
{
    std::unique_ptr<burst_space> space;
    counted_events events;
    QStatusBar status;
    std::unique_ptr<burst_paint_panel> panel;

    fixture(std::unique_ptr<burst_space> s, int w, int h, std::vector<qint32> counts = {})
        : space(std::move(s)), events(counts)
    {
        streams_capture quiet;
        panel = std::make_unique<burst_paint_panel>(*space, events, status, nullptr);
        panel->resize(w, h);
        panel->show();
    }

    QImage image()
    {
        streams_capture quiet;
        return panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    void send(QEvent::Type type, int x, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(x, 20), panel->mapToGlobal(QPoint(x, 20)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(panel.get(), &event);
    }

    void wheel(int x, int delta)
    {
        QWheelEvent event(QPointF(x, 20), panel->mapToGlobal(QPoint(x, 20)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(panel.get(), &event);
    }
};

// Columns whose pixel in the given row has the colour.
QList<int> columns_of(const QImage& image, int row, QRgb colour)
{
    QList<int> found;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, row) == colour)
            found << x;
    return found;
}

} // namespace

class test_burst_paint_panel : public QObject
{
    Q_OBJECT

private slots:
    void ten_bursts_in_501_pixels();
    void matches_pen_lines_column_by_column_data();
    void matches_pen_lines_column_by_column();
    void zoomed_out_matches_pen_lines_data();
    void zoomed_out_matches_pen_lines();
    void raw_extremes_fill_the_height_data();
    void raw_extremes_fill_the_height();
    void separators_vanish_when_zoomed_out_data();
    void separators_vanish_when_zoomed_out();
    void gps_tick_only_over_bursts_with_fixes();
    void time_grid_choice_data();
    void time_grid_choice();
    void grid_line_as_a_pen_draws_it_data();
    void grid_line_as_a_pen_draws_it();
    void resize_keeps_the_scale();
    void wheel_zoom_data();
    void wheel_zoom();
    void drag_pans_with_the_mouse();
    void right_drag_moves_nothing();
    void hover_read_out_data();
    void hover_read_out();
    void hover_read_out_in_g();
    void hover_while_dragging_leaves_status_bar();
    void menu_toggles_one_flag();
    void menu_dismissed_changes_nothing();
    void empty_space_is_white_and_safe();
    void click_selects_the_burst_under_the_cursor();
    void drag_selects_nothing();
    void selection_is_drawn_over_the_picture();
    void set_selected_burst_clears_out_of_range();
    void centre_on_burst_keeps_the_zoom();
    void hover_signal_on_change_only();
    void double_click_and_enter_activate();
    void ctrl_arrows_step_the_selection();
    void ctrl_wheel_zooms_by_two_about_the_centre();
    void axis_toggle_and_palette();
};

void test_burst_paint_panel::ten_bursts_in_501_pixels()
{
    fixture f(make_space(10, 100, 1000, banded), 501, 300);
    QCOMPARE(f.panel->view.span(), 1000.0);
    QCOMPARE(f.panel->view.offset(), 0.0);
    const QImage image = f.image();
    QCOMPARE(image.size(), QSize(501, 300));

    // u = 2: column i shows [2i, 2i + 2], which reaches into the next burst at i = 50k - 1.
    QList<int> separators;
    for (int k = 1; k < 10; ++k)
        separators << 50 * k - 1;
    QCOMPARE(columns_of(image, 299, grey), separators);

    // Column 10 holds samples 20..22 of burst 0: X from 1200 to 1240, drawn between y(max) and y(min).
    QCOMPARE(rows_of(image, 10, red), qMakePair(y_of(1240, 300), y_of(1200, 300)));
    QCOMPARE(rows_of(image, 10, green), qMakePair(y_of(2001, 300), y_of(2000, 300)));
    QCOMPARE(rows_of(image, 10, blue), qMakePair(y_of(3002, 300), y_of(3000, 300)));
    // A separator column spans two bursts: X covers 800 (next burst's start) up to 800 + 20 * 99.
    QCOMPARE(rows_of(image, 49, red), qMakePair(y_of(2780, 300), y_of(800, 300)));
    // The rightmost pixel column is never drawn; no GPS ticks without fixes.
    QCOMPARE(rows_of(image, 500, white), qMakePair(0, 299));
    QCOMPARE(columns_of(image, 299, white).size(), 501 - 9);
    QCOMPARE(columns_of(image, 5, orange), QList<int>());
}

namespace {

// The envelope layer drawn the plain way: column by column, one pen line per element.
QImage reference_envelopes(const burst_space& space, const events_by_bursts_i& events, double left,
                           double span, int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.setBackground(QBrush(QColor(255, 255, 255)));
    p.eraseRect(0, 0, w, h);
    const double u = span / (w - 1);
    const bool separators = space.max_burst_sample_count() / u >= 3;
    double a = left;
    for (int i = 0; i < w - 1; ++i, a += u) {
        const double b = a + u;
        const burst_range range(space, static_cast<qint32>(a), static_cast<qint32>(b));
        float lo[3], hi[3];
        bool several;
        range.value_range(lo[0], hi[0], lo[1], hi[1], lo[2], hi[2], several);
        if (several && separators) {
            p.setPen(QColor(192, 192, 192));
            p.drawLine(i, 0, i, h);
        }
        const char* colours[] = {"#ff0000", "#00ff00", "#0000ff"};
        for (int axis = 0; axis < 3; ++axis)
            if (hi[axis] >= lo[axis]) {
                p.setPen(QColor(colours[axis]));
                p.drawLine(i, y_of(lo[axis], h), i, y_of(hi[axis], h));
            }
        qint64 fixes = 0;
        if (range.first_burst != -1)
            for (qint32 j = range.first_burst; j <= range.last_burst; ++j)
                fixes += events.event_count(j);
        if (fixes > 0) {
            p.setPen(QColor("#ff8000"));
            p.drawLine(i, 0, i, 10);
        }
    }
    return image;
}

// The first pixel where actual differs from expected, in words; empty when they are the same.
QString first_difference(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QString("size %1 x %2").arg(actual.width()).arg(actual.height());
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return QString("pixel %1,%2: %3 instead of %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixel(x, y), 8, 16)
                    .arg(expected.pixel(x, y), 8, 16);
    return QString();
}

// Values that leave the widget on both sides on some bursts.
float wide(int axis, int k)
{
    const float values[] = {-3000.f, 120.f, 2047.f, 4095.f, 9000.f, 1e6f, 3000.f};
    return values[(k * (axis + 2)) % 7] + static_cast<float>(axis) * 500.f;
}

} // namespace

void test_burst_paint_panel::matches_pen_lines_column_by_column_data()
{
    add_columns<bool, double, double, int>("wide_values", "offset", "span", "height");
    add_row("ten bursts", false, 0.0, 1000.0, 300);
    add_row("fractional scale", false, 13.25, 777.7, 211);
    add_row("panned left of the data", false, -137.5, 1000.0, 300);
    add_row("panned past the end", false, 3700.0, 1000.0, 300);
    add_row("zoomed out", false, 0.0, 4400.0, 160);
    add_row("out-of-range values", true, 5.0, 600.0, 250);
    add_row("out-of-range values zoomed out", true, 0.0, 3000.0, 97);
    add_row("samples wider than columns", true, 50.0, 90.0, 120);
}

void test_burst_paint_panel::matches_pen_lines_column_by_column()
{
    auto [wide_values, offset, span, height] =
        fetch<bool, double, double, int>("wide_values", "offset", "span", "height");
    const std::vector<qint32> fixes{0, 1, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
    fixture f(make_space(40, 100, 1000, wide_values ? wide : banded), 401, height, fixes);
    f.panel->view.set_offset(offset);
    f.panel->view.set_span(span);
    f.panel->show_time_grid = false;
    const QImage expected = reference_envelopes(*f.space, f.events, offset, span, 401, height);
    const QString difference = first_difference(f.image(), expected);
    if (!difference.isEmpty())
        QFAIL(qPrintable(difference));
}

void test_burst_paint_panel::zoomed_out_matches_pen_lines_data()
{
    add_columns<int, int, double, double, int, int>(
        "count", "longest",
        "offset", // share of the total samples
        "span",   // share of the total samples; negative: columns this many samples wide
        "width", "height");
    add_row("a few bursts a column", 3000, 60, 0.0, 1.0, 401, 200);
    add_row("hundreds of bursts a column", 60000, 30, 0.0, 1.0, 301, 150);
    add_row("fractional offset and scale", 20000, 90, 0.0123, 0.917, 373, 211);
    add_row("panned left of the data", 20000, 90, -0.4, 1.0, 400, 120);
    add_row("panned past the end", 20000, 90, 0.75, 1.0, 400, 120);
    // Windows of the longest burst and one more sample alternate: both ways of folding side by side.
    add_row("windows about the longest burst", 20000, 90, 0.3, -90.5, 401, 200);
    add_row("windows just past the longest burst", 20000, 90, 0.1, -91.25, 401, 200);
    add_row("separators at three columns a burst", 20000, 90, 0.2, -30.0, 401, 90);
}

void test_burst_paint_panel::zoomed_out_matches_pen_lines()
{
    auto [count, longest, offset, span, width, height] =
        fetch<int, int, double, double, int, int>("count", "longest", "offset", "span", "width", "height");
    std::vector<qint32> fixes(static_cast<std::size_t>(count), 0);
    for (int b = 11; b < count; b += 97 + b % 5)
        fixes[static_cast<std::size_t>(b)] = 1 + b % 3;
    fixture f(test_support::irregular_space(count, longest, unsigned(count + longest), -500.f, 4600.f), width,
              height, fixes);
    const double total = f.space->total_sample_count();
    const double samples = span > 0 ? span * total : -span * (width - 1);
    f.panel->view.set_offset(offset * total);
    f.panel->view.set_span(samples);
    f.panel->show_time_grid = false;
    const QImage expected = reference_envelopes(*f.space, f.events, offset * total, samples, width, height);
    const QString difference = first_difference(f.image(), expected);
    if (!difference.isEmpty())
        QFAIL(qPrintable(difference));
}

void test_burst_paint_panel::raw_extremes_fill_the_height_data()
{
    QTest::addColumn<int>("height");
    add_row("50", 50);
    add_row("300", 300);
    add_row("4095", 4095);
}

void test_burst_paint_panel::raw_extremes_fill_the_height()
{
    QFETCH(int, height);
    // Two columns; column 0 shows [0, 1], both samples 0 and 4095.
    fixture f(make_space(1, 2, 1000, [](int axis, int k) { return axis == 0 ? 4095.f * k : 2000.f; }), 3,
              height);
    f.panel->show_y = f.panel->show_z = false;
    const QImage image = f.image();
    // 0 maps to one below the last row, 4095 to the top row.
    QCOMPARE(rows_of(image, 0, red), qMakePair(0, height - 1));
    // Column 1 shows [1, 2]: sample 1 alone (2 lies past the data).
    QCOMPARE(rows_of(image, 1, red), qMakePair(0, 0));
    // A flat axis still shows as one pixel.
    f.panel->show_x = false;
    f.panel->show_y = true;
    QCOMPARE(rows_of(f.image(), 0, green), qMakePair(y_of(2000, height), y_of(2000, height)));
}

void test_burst_paint_panel::separators_vanish_when_zoomed_out_data()
{
    add_columns<double, bool, bool>("span", "enabled", "expected");
    // 100 columns: u = span / 100; separators need 100 / u >= 3.
    add_row("u 33, shown", 3300.0, true, true);
    add_row("u 34, hidden", 3400.0, true, false);
    add_row("u 10, switched off", 1000.0, false, false);
}

void test_burst_paint_panel::separators_vanish_when_zoomed_out()
{
    auto [span, enabled, expected] = fetch<double, bool, bool>("span", "enabled", "expected");
    fixture f(make_space(40, 100, 1000, banded), 101, 200);
    f.panel->view.set_span(span);
    f.panel->show_burst_grid = enabled;
    QCOMPARE(!columns_of(f.image(), 199, grey).isEmpty(), expected);
}

void test_burst_paint_panel::gps_tick_only_over_bursts_with_fixes()
{
    fixture f(make_space(10, 100, 1000, banded), 501, 300, {0, 0, 0, 2});
    const QImage image = f.image();
    // Burst 3 holds samples 300..399; columns 149 ([298, 300]) to 199 ([398, 400]) touch it.
    QList<int> expected;
    for (int i = 149; i <= 199; ++i)
        expected << i;
    QCOMPARE(columns_of(image, 0, orange), expected);
    QCOMPARE(columns_of(image, 10, orange), expected);
    QCOMPARE(columns_of(image, 11, orange), QList<int>());
}

void test_burst_paint_panel::time_grid_choice_data()
{
    add_columns<int, int, qint64, double, bool, QString, QList<int>>("bursts", "samples", "interval", "span",
                                                                     "enabled", "trace", "lines");
    const qint64 half_hour = 1800000;
    // 500 pixels wide: x(p) = p * 500 / span.
    QList<int> hourly;
    for (int x = 20; x < 500; x += 20)
        hourly << x;
    add_row("hours 20 px apart", 60, 10, half_hour, 500.0, true, "hour dist: 20\n", hourly);
    add_row("hours 10 px apart, days 240", 150, 10, half_hour, 1000.0, true, "hour dist: 10\nday dist: 240\n",
            (QList<int>{240, 480}));
    add_row("hours 18 px apart, one day change", 150, 9, half_hour, 500.0, true, "hour dist: 18\n",
            (QList<int>{432}));
    add_row("hours 4, days 8: no grid", 200, 4, 12 * 3600000LL, 500.0, true, "hour dist: 4\nday dist: 8\n",
            QList<int>());
    add_row("one hour change", 3, 100, half_hour, 500.0, true, "", (QList<int>{200}));
    add_row("no change at all", 10, 10, 1000LL, 100.0, true, "", QList<int>());
    add_row("switched off", 60, 10, half_hour, 500.0, false, "", QList<int>());
}

void test_burst_paint_panel::time_grid_choice()
{
    auto [bursts, samples, interval, span, enabled, trace, lines] =
        fetch<int, int, qint64, double, bool, QString, QList<int>>("bursts", "samples", "interval", "span",
                                                                   "enabled", "trace", "lines");
    fixture f(make_space(bursts, samples, interval, banded), 500, 400);
    f.panel->view.set_span(span);
    f.panel->show_burst_grid = false;
    f.panel->show_time_grid = enabled;
    QImage image;
    {
        streams_capture err;
        image = f.panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(err.stderr_text(), trace);
    }
    // Grid lines run from row 4 to row H - 4; the labels stand in the lower part.
    QCOMPARE(columns_of(image, 4, brown), lines);
    QCOMPARE(columns_of(image, 3, brown), QList<int>());
    for (int x : lines) {
        QCOMPARE(rows_of(image, x, brown).second, 396);
        // Rotated label reading upwards, baseline 12 pixels right of the line.
        int ink = 0;
        for (int y = 200; y < 396; ++y)
            for (int dx = 2; dx <= 13; ++dx)
                ink += image.pixel(x + dx, y) != white && qGreen(image.pixel(x + dx, y)) < 200;
        QVERIFY2(ink > 30, qPrintable(QString("no label beside x = %1").arg(x)));
    }
}

void test_burst_paint_panel::grid_line_as_a_pen_draws_it_data()
{
    QTest::addColumn<int>("height");
    // Heights where no label reaches into the line's own column.
    for (const int height : {4, 5, 7, 8, 9, 12, 400})
        QTest::addRow("%d rows", height) << height;
}

void test_burst_paint_panel::grid_line_as_a_pen_draws_it()
{
    QFETCH(int, height);
    // Hours 20 pixels apart: a line at x = 20, 40, ...; each column holds the pixels a one-pixel pen
    // sets for the line from row 4 to row H - 4.
    fixture f(make_space(60, 10, 1800000, banded), 500, height);
    f.panel->view.set_span(500);
    f.panel->show_x = f.panel->show_y = f.panel->show_z = f.panel->show_burst_grid = false;
    const QImage image = f.image();
    QImage pen_line(1, height, QImage::Format_RGB32);
    pen_line.fill(Qt::white);
    QPainter painter(&pen_line);
    painter.setPen(QColor(brown));
    painter.drawLine(0, 4, 0, height - 4);
    painter.end();
    for (const int x : {20, 40, 480})
        for (int y = 0; y < height; ++y)
            if ((image.pixel(x, y) == brown) != (pen_line.pixel(0, y) == brown))
                QFAIL(qPrintable(QString("column %1, row %2").arg(x).arg(y)));
}

void test_burst_paint_panel::resize_keeps_the_scale()
{
    std::unique_ptr<burst_space> space = make_space(10, 100, 1000, banded);
    counted_events none({});
    QStatusBar status;
    burst_paint_panel panel(*space, none, status, nullptr);
    QCOMPARE(panel.view.span(), 1000.0);
    QVERIFY(panel.testAttribute(Qt::WA_MouseTracking));
    QCOMPARE(panel.contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(panel.tracker.handlers.size(), std::size_t(1));
    QVERIFY(dynamic_cast<drag_handler_x_offset*>(panel.tracker.handlers.front().get()));
    QCOMPARE(panel.tracker.handlers.front()->button(), int(Qt::LeftButton));
    panel.resize(500, 300);
    {
        streams_capture err;
        panel.show();
        QCOMPARE(err.stderr_text(), QString("resize: -1 x -1 => 500 x 300\n"));
    }
    QCOMPARE(panel.view.span(), 1000.0);
    streams_capture err;
    panel.resize(1000, 200);
    QCOMPARE(err.stderr_text(), QString("resize: 500 x 300 => 1000 x 200\n"));
    QCOMPARE(panel.view.span(), 2000.0);
    QCOMPARE(panel.positions_per_pixel(), 2.0);
}

void test_burst_paint_panel::wheel_zoom_data()
{
    add_columns<int, double, double>("delta", "span", "expected");
    add_row("towards: x0.9", 120, 1000.0, 900.0);
    add_row("away: x1.1", -120, 1000.0, 1100.0);
    add_row("two notches", 240, 1000.0, 800.0);
    add_row("in to 100.8", 120, 112.0, 100.8);
    add_row("in to 99.9 refused", 120, 111.0, 111.0);
    add_row("in to exactly 100 refused", 120, 1000.0 / 9, 1000.0 / 9);
    add_row("out to 1287000000", -120, 1170000000.0, 1287000000.0);
    add_row("out to 1320000000 refused", -120, 1200000000.0, 1200000000.0);
    add_row("no delta", 0, 1000.0, 1000.0);
    add_row("half a notch zooms nothing", 60, 1000.0, 1000.0);
}

void test_burst_paint_panel::wheel_zoom()
{
    auto [delta, span, expected] = fetch<int, double, double>("delta", "span", "expected");
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->view.set_span(span);
    f.panel->view.set_offset(40);
    const int x = 123;
    const double under_cursor = f.panel->view.offset() + f.panel->positions_per_pixel() * x;
    streams_capture out;
    f.wheel(x, delta);
    QCOMPARE(out.stdout_text(), QString("wheel: %1\n").arg(delta));
    QCOMPARE(f.panel->view.span(), expected);
    if (expected == span)
        QCOMPARE(f.panel->view.offset(), 40.0);
    QVERIFY(std::abs(f.panel->view.offset() + f.panel->positions_per_pixel() * x - under_cursor) <
            1e-6 * span);
}

void test_burst_paint_panel::drag_pans_with_the_mouse()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->view.set_span(2000); // p = 4
    f.panel->view.set_offset(30);
    streams_capture streams;
    f.send(QEvent::MouseButtonPress, 100, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseMove, 120, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.panel->view.drag_start_offset(), 30.0);
    QCOMPARE(f.panel->view.offset(), 30.0);
    f.send(QEvent::MouseMove, 150, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.panel->view.offset(), 30.0 - 200);
    f.send(QEvent::MouseMove, 90, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.panel->view.offset(), 30.0 + 40);
    f.send(QEvent::MouseButtonRelease, 90, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(streams.stdout_text(), QString("press: 1\nrelease: 1\n"));
    QCOMPARE(streams.stderr_text(), QString("handle_drag_start\nleft start\nhandle_drag_end\nleft end\n"));
    // Dragging to the right shows earlier samples: the content follows the mouse.
    QCOMPARE(f.panel->view.offset(), 70.0);
}

void test_burst_paint_panel::right_drag_moves_nothing()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    streams_capture streams;
    f.send(QEvent::MouseButtonPress, 100, Qt::RightButton, Qt::RightButton);
    f.send(QEvent::MouseMove, 150, Qt::NoButton, Qt::RightButton);
    f.send(QEvent::MouseMove, 200, Qt::NoButton, Qt::RightButton);
    f.send(QEvent::MouseButtonRelease, 200, Qt::RightButton, Qt::NoButton);
    QCOMPARE(f.panel->view.offset(), 0.0);
    QCOMPARE(streams.stdout_text(), QString("press: 2\nrelease: 2\n"));
    QCOMPARE(streams.stderr_text(), QString("handle_drag_start\nhandle_drag_end\n"));
}

void test_burst_paint_panel::hover_read_out_data()
{
    add_columns<double, int, QString>("offset", "x", "message");
    // p = 2; bursts of 100 samples at 3 Hz, one a second from 00:10:00.
    add_row("burst 1 sample 20", 0.0, 60,
            "burst-0001:sample-20 [2021-03-01 00:10:07.666 UTC] X 1200 Y 2006 Z 3000");
    add_row("two-digit sample", 1.0, 3,
            "burst-0000:sample-07 [2021-03-01 00:10:02.333 UTC] X 940 Y 2000 Z 3002");
    // Past the last sample there are no values to give.
    add_row("past the last start", 950.0, 100, "burst-0009:sample-250 [2021-03-01 00:11:32.333 UTC]");
    add_row("left of the data", -500.0, 10, "");
    add_row("fractional left edge", -0.5, 0,
            "burst-0000:sample-00 [2021-03-01 00:10:00.000 UTC] X 800 Y 2000 Z 3000");
}

void test_burst_paint_panel::hover_read_out()
{
    auto [offset, x, message] = fetch<double, int, QString>("offset", "x", "message");
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->view.set_offset(offset);
    f.status.showMessage("stale");
    f.send(QEvent::MouseMove, x, Qt::NoButton, Qt::NoButton);
    QCOMPARE(f.status.currentMessage(), message);
}

void test_burst_paint_panel::hover_read_out_in_g()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    burst_calibration c;
    c.axes[0] = {800, 400}; // 1200 raw: 1 g
    c.axes[1] = {2000, 3};  // 2006 raw: 2 g
    c.axes[2] = {3100, 40}; // 3000 raw: -2.5 g
    f.panel->set_calibration(c);
    f.send(QEvent::MouseMove, 60, Qt::NoButton, Qt::NoButton);
    QCOMPARE(f.status.currentMessage(),
             QString("burst-0001:sample-20 [2021-03-01 00:10:07.666 UTC] X 1.000 g Y 2.000 g Z -2.500 g"));
    f.panel->set_calibration(std::nullopt);
    f.send(QEvent::MouseMove, 10, Qt::NoButton, Qt::NoButton);
    f.send(QEvent::MouseMove, 60, Qt::NoButton, Qt::NoButton);
    QCOMPARE(f.status.currentMessage(),
             QString("burst-0001:sample-20 [2021-03-01 00:10:07.666 UTC] X 1200 Y 2006 Z 3000"));
}

void test_burst_paint_panel::hover_while_dragging_leaves_status_bar()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.status.showMessage("stale");
    streams_capture streams;
    f.send(QEvent::MouseMove, 60, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.status.currentMessage(), QString("stale"));
}

namespace {

// Runs the panel's context menu; act receives the open menu and its five actions.
// A right click sends a context menu event, which the panel turns into its own menu.
void right_click(burst_paint_panel& panel)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), panel.mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(&panel, &event);
}

void run_menu(burst_paint_panel& panel, const std::function<void(QMenu*, QList<QAction*>)>& act)
{
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || seen)
            return;
        seen = true;
        act(menu, menu->actions());
    });
    poll.start();
    right_click(panel);
    QVERIFY(seen);
}

} // namespace

void test_burst_paint_panel::menu_toggles_one_flag()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->show_y = false;
    QSignalSpy changed(f.panel.get(), &burst_paint_panel::layers_changed);
    QStringList texts;
    QList<bool> checked;
    streams_capture out;
    run_menu(*f.panel, [&](QMenu* menu, QList<QAction*> actions) {
        for (QAction* a : actions) {
            texts << a->text();
            checked << (a->isCheckable() && a->isChecked());
        }
        menu->setActiveAction(actions.value(4));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QCOMPARE(texts, (QStringList{"Show Acceleration X Axis", "Show Acceleration Y Axis",
                                 "Show Acceleration Z Axis", "Show Burst Grid", "Show Time Grid"}));
    QCOMPARE(checked, (QList<bool>{true, false, true, true, true}));
    QCOMPARE(out.stdout_text(), QString("show context menu!\nitem!\n"));
    QVERIFY(f.panel->show_x);
    QVERIFY(!f.panel->show_y);
    QVERIFY(f.panel->show_z);
    QVERIFY(f.panel->show_burst_grid);
    QVERIFY(!f.panel->show_time_grid);
    QCOMPARE(changed.size(), 1);

    // Choosing the unchecked Y axis turns it back on.
    run_menu(*f.panel, [](QMenu* menu, QList<QAction*> actions) {
        menu->setActiveAction(actions.value(1));
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QVERIFY(f.panel->show_y);
    QVERIFY(!f.panel->show_time_grid);
}

void test_burst_paint_panel::menu_dismissed_changes_nothing()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    streams_capture out;
    run_menu(*f.panel, [](QMenu* menu, QList<QAction*>) { QTest::keyClick(menu, Qt::Key_Escape); });
    QCOMPARE(out.stdout_text(), QString("show context menu!\nnothing!\n"));
    QVERIFY(f.panel->show_x && f.panel->show_y && f.panel->show_z);
    QVERIFY(f.panel->show_burst_grid && f.panel->show_time_grid);
}

void test_burst_paint_panel::empty_space_is_white_and_safe()
{
    fixture f(make_space(0, 0, 1000, banded), 300, 200, {1});
    QCOMPARE(f.panel->view.span(), 0.0);
    const QImage image = f.image();
    QCOMPARE(image.size(), QSize(300, 200));
    for (int y = 0; y < 200; y += 7)
        QCOMPARE(columns_of(image, y, white).size(), 300);

    streams_capture streams;
    f.wheel(50, 120);
    f.wheel(50, -120);
    QCOMPARE(f.panel->view.span(), 0.0);
    f.status.showMessage("stale");
    f.send(QEvent::MouseMove, 50, Qt::NoButton, Qt::NoButton);
    QCOMPARE(f.status.currentMessage(), QString());
    f.send(QEvent::MouseButtonPress, 50, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseMove, 80, Qt::NoButton, Qt::LeftButton);
    f.send(QEvent::MouseMove, 90, Qt::NoButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 90, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(f.panel->view.offset(), 0.0);
    f.panel->resize(1, 1);
    f.panel->resize(0, 0);
    QCOMPARE(f.image().size(), QSize(0, 0).expandedTo(f.panel->size()));
}

void test_burst_paint_panel::click_selects_the_burst_under_the_cursor()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300); // p = 2: burst k spans columns 50k ... 50k + 49
    QSignalSpy selected(f.panel.get(), &burst_paint_panel::burst_selected);
    QCOMPARE(f.panel->selected_burst(), -1);
    streams_capture streams;
    f.send(QEvent::MouseButtonPress, 160, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 160, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(f.panel->selected_burst(), 3);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), 3);
    // The same burst again is no change.
    f.send(QEvent::MouseButtonPress, 199, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 199, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(selected.size(), 1);
    // A click left of the data clears the selection; a right click selects nothing.
    f.panel->view.set_offset(-400);
    f.send(QEvent::MouseButtonPress, 100, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 100, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(f.panel->selected_burst(), -1);
    QCOMPARE(selected.size(), 2);
    QCOMPARE(selected.at(1).at(0).toInt(), -1);
    f.send(QEvent::MouseButtonPress, 300, Qt::RightButton, Qt::RightButton);
    f.send(QEvent::MouseButtonRelease, 300, Qt::RightButton, Qt::NoButton);
    QCOMPARE(f.panel->selected_burst(), -1);
}

void test_burst_paint_panel::drag_selects_nothing()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    QSignalSpy selected(f.panel.get(), &burst_paint_panel::burst_selected);
    streams_capture streams;
    f.send(QEvent::MouseButtonPress, 100, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseMove, 110, Qt::NoButton, Qt::LeftButton);
    f.send(QEvent::MouseMove, 130, Qt::NoButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 130, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(f.panel->view.offset(), -60.0);
    QCOMPARE(selected.size(), 0);
    QCOMPARE(f.panel->selected_burst(), -1);
}

void test_burst_paint_panel::selection_is_drawn_over_the_picture()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    const QImage before = f.image();
    f.panel->set_selected_burst(2); // columns 100 ... 149
    const QImage after = f.image();
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 500; ++x) {
            const bool inside = x >= 100 && x <= 149;
            if (!inside && before.pixel(x, y) != after.pixel(x, y))
                QFAIL(qPrintable(QString("pixel %1,%2 outside the burst changed").arg(x).arg(y)));
        }
    // The frame's edges and the tinted background inside.
    QCOMPARE(after.pixel(100, 0), qRgb(0, 0, 0));
    QCOMPARE(after.pixel(149, 299), qRgb(0, 0, 0));
    QCOMPARE(after.pixel(125, 0), qRgb(0, 0, 0));
    QVERIFY(after.pixel(120, 150) != before.pixel(120, 150));
    f.panel->set_selected_burst(-1);
    QCOMPARE(f.image(), before);
}

void test_burst_paint_panel::set_selected_burst_clears_out_of_range()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    QSignalSpy selected(f.panel.get(), &burst_paint_panel::burst_selected);
    f.panel->set_selected_burst(9);
    f.panel->set_selected_burst(9);
    f.panel->set_selected_burst(10);
    f.panel->set_selected_burst(-5);
    QCOMPARE(selected.size(), 2);
    QCOMPARE(selected.at(0).at(0).toInt(), 9);
    QCOMPARE(selected.at(1).at(0).toInt(), -1);
    QCOMPARE(f.panel->selected_burst(), -1);
}

void test_burst_paint_panel::centre_on_burst_keeps_the_zoom()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->view.set_span(200);
    f.panel->centre_on_burst(3); // middle at position 350
    QCOMPARE(f.panel->view.span(), 200.0);
    QCOMPARE(f.panel->view.offset(), 250.0);
    QCOMPARE(f.panel->burst_at_pixel(250), 3);
    f.panel->centre_on_burst(10); // no such burst: nothing moves
    QCOMPARE(f.panel->view.offset(), 250.0);
    QCOMPARE(f.panel->selected_burst(), -1);
}

void test_burst_paint_panel::hover_signal_on_change_only()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    QSignalSpy hovered(f.panel.get(), &burst_paint_panel::burst_hovered);
    f.send(QEvent::MouseMove, 10, Qt::NoButton, Qt::NoButton);
    f.send(QEvent::MouseMove, 40, Qt::NoButton, Qt::NoButton);
    f.send(QEvent::MouseMove, 60, Qt::NoButton, Qt::NoButton);
    f.panel->view.set_offset(900);
    f.send(QEvent::MouseMove, 300, Qt::NoButton, Qt::NoButton); // past the last burst's samples
    f.send(QEvent::MouseMove, 20, Qt::NoButton, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f.panel.get(), &leave);
    QList<int> seen;
    for (const QList<QVariant>& args : hovered)
        seen << args.at(0).toInt();
    QCOMPARE(seen, (QList<int>{0, 1, -1, 9, -1}));
}

void test_burst_paint_panel::double_click_and_enter_activate()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    QSignalSpy activated(f.panel.get(), &burst_paint_panel::burst_activated);
    QSignalSpy selected(f.panel.get(), &burst_paint_panel::burst_selected);
    QTest::keyClick(f.panel.get(), Qt::Key_Return);
    QCOMPARE(activated.size(), 0); // nothing selected yet
    streams_capture streams;
    f.send(QEvent::MouseButtonPress, 260, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 260, Qt::LeftButton, Qt::NoButton);
    f.send(QEvent::MouseButtonDblClick, 260, Qt::LeftButton, Qt::LeftButton);
    f.send(QEvent::MouseButtonRelease, 260, Qt::LeftButton, Qt::NoButton);
    // Both presses reach the drag tracker as clicks.
    QCOMPARE(streams.stdout_text(), QString("press: 1\nrelease: 1\npress: 1\nrelease: 1\n"));
    QCOMPARE(streams.stderr_text(), QString("handle_click\nhandle_click\n"));
    QCOMPARE(f.panel->selected_burst(), 5);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(activated.size(), 1);
    QCOMPARE(activated.at(0).at(0).toInt(), 5);
    f.panel->set_selected_burst(7);
    QTest::keyClick(f.panel.get(), Qt::Key_Enter);
    QCOMPARE(activated.size(), 2);
    QCOMPARE(activated.at(1).at(0).toInt(), 7);
}

void test_burst_paint_panel::ctrl_arrows_step_the_selection()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->view.set_span(200);
    QTest::keyClick(f.panel.get(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(f.panel->selected_burst(), 0);
    QCOMPARE(f.panel->view.offset(), -50.0);
    QTest::keyClick(f.panel.get(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(f.panel->selected_burst(), 0);
    f.panel->set_selected_burst(8);
    QTest::keyClick(f.panel.get(), Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(f.panel.get(), Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(f.panel->selected_burst(), 9);
    QCOMPARE(f.panel->view.offset(), 850.0);
    QCOMPARE(f.panel->view.span(), 200.0);
}

void test_burst_paint_panel::ctrl_wheel_zooms_by_two_about_the_centre()
{
    fixture f(make_space(10, 100, 1000, banded), 500, 300);
    f.panel->view.set_span(800);
    f.panel->view.set_offset(100); // centre at 500
    streams_capture out;
    QWheelEvent in(QPointF(30, 20), f.panel->mapToGlobal(QPoint(30, 20)), QPoint(), QPoint(0, 240),
                   Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.panel.get(), &in); // two notches: a quarter of the span
    QCOMPARE(f.panel->view.span(), 200.0);
    QCOMPARE(f.panel->view.offset(), 400.0);
    QWheelEvent out_one(QPointF(400, 20), f.panel->mapToGlobal(QPoint(400, 20)), QPoint(), QPoint(0, -120),
                        Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.panel.get(), &out_one);
    QCOMPARE(f.panel->view.span(), 400.0);
    QCOMPARE(f.panel->view.offset(), 300.0);
    // Half a notch zooms nothing.
    QWheelEvent half(QPointF(400, 20), f.panel->mapToGlobal(QPoint(400, 20)), QPoint(), QPoint(0, 60),
                     Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f.panel.get(), &half);
    QCOMPARE(f.panel->view.span(), 400.0);
}

void test_burst_paint_panel::axis_toggle_and_palette()
{
    fixture f(make_space(10, 100, 1000, banded), 501, 300);
    QSignalSpy changed(f.panel.get(), &burst_paint_panel::layers_changed);
    f.panel->set_axis_shown(0, false);
    f.panel->set_axis_shown(0, false);
    QCOMPARE(changed.size(), 1);
    QVERIFY(!f.panel->show_x && !f.panel->axis_shown(0));
    QCOMPARE(rows_of(f.image(), 10, red), qMakePair(-1, -1));
    f.panel->set_axis_shown(0, true);
    QCOMPARE(changed.size(), 2);

    f.panel->set_palette(axis_palette::colour_blind_safe());
    const QImage image = f.image();
    QCOMPARE(rows_of(image, 10, red), qMakePair(-1, -1));
    QCOMPARE(rows_of(image, 10, qRgb(0xd5, 0x5e, 0x00)), qMakePair(y_of(1240, 300), y_of(1200, 300)));
    QCOMPARE(rows_of(image, 10, qRgb(0x00, 0x9e, 0x73)), qMakePair(y_of(2001, 300), y_of(2000, 300)));
    QCOMPARE(rows_of(image, 10, qRgb(0x00, 0x72, 0xb2)), qMakePair(y_of(3002, 300), y_of(3000, 300)));
}

QTEST_MAIN(test_burst_paint_panel)
#include "test_burst_paint_panel.moc"

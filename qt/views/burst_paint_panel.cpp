#include "views/burst_paint_panel.h"

#include "data/burst_range.h"
#include "data/burst_space.h"
#include "views/drag_handler_x_offset.h"
#include "data/events_by_bursts_i.h"
#include "data/trace.h"

#include <QDateTime>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

const QColor background_colour(255, 255, 255);
const QColor x_colour("#ff0000");
const QColor y_colour("#00ff00");
const QColor z_colour("#0000ff");
const QColor separator_colour(192, 192, 192);
const QColor time_grid_colour(128, 64, 0);
const QColor gps_colour("#ff8000");

constexpr int grid_min_distance = 18;
constexpr qint64 hour_ms = 3600000;
constexpr qint64 day_ms = 86400000;

// Truncates a pixel coordinate toward zero. Far outside coordinates (extreme raw values, a tiny
// scale) are held well outside the widget, where they clip exactly as the true value would.
int pixel_at(double v)
{
    constexpr double limit = 1 << 22;
    if (!(v >= -limit))
        return -(1 << 22);
    if (v > limit)
        return 1 << 22;
    return static_cast<int>(std::trunc(v));
}

// Raw value 0 at the bottom edge (one below the last row), 4096 at the top.
int y_of(float v, int h)
{
    const double height = h;
    return pixel_at(std::trunc(height) - height * static_cast<double>(v) / 4096);
}

// Hour or day of a start time, counted in whole units from the epoch toward zero.
qint64 bucket_of(qint64 t, qint64 length)
{
    return t / length * length;
}

// Sets the pixels a one-pixel solid pen sets for the line (x, y1)-(x, y2), both ends included,
// clipped to the image. x must lie inside it.
void draw_column(QImage& image, int x, int y1, int y2, QRgb colour)
{
    const int top = std::max(0, std::min(y1, y2));
    const int bottom = std::min(image.height() - 1, std::max(y1, y2));
    if (top > bottom)
        return;
    const qsizetype stride = image.bytesPerLine();
    uchar* row = image.bits() + top * stride;
    for (int y = top; y <= bottom; ++y, row += stride)
        reinterpret_cast<QRgb*>(row)[x] = colour;
}

// Visible bursts first ... last of a space and the pixel mapping of the time grid.
struct grid_walk
{
    const burst_space& space;
    qint32 first;
    qint32 last;
    double left;
    double per_pixel;

    int x_of(qint32 i) const { return pixel_at((space.entry(i).first_sample - left) / per_pixel); }

    // The first burst after i (up to last + 1) whose bucket differs from that of burst i. Start
    // times are sorted and buckets never decrease with time, so this is a bisection.
    qint32 next_change(qint32 i, qint64 length) const
    {
        const std::vector<qint64>& ts = space.timestamps();
        const qint64 bucket = bucket_of(ts[static_cast<std::size_t>(i)], length);
        const auto it = std::partition_point(ts.begin() + i + 1, ts.begin() + last + 1,
                                             [&](qint64 t) { return bucket_of(t, length) == bucket; });
        return static_cast<qint32>(it - ts.begin());
    }

    // Pixel distance between the first two bucket changes in view; none with fewer than two.
    std::optional<int> change_distance(qint64 length) const
    {
        const qint32 a = next_change(first, length);
        if (a > last)
            return std::nullopt;
        const qint32 b = next_change(a, length);
        if (b > last)
            return std::nullopt;
        return x_of(b) - x_of(a);
    }

    // Labels of this bucket length are readable, or too few changes are in view to tell.
    bool readable(qint64 length, const char* label) const
    {
        const std::optional<int> d = change_distance(length);
        if (!d)
            return true;
        trace::err(label, *d);
        return *d > grid_min_distance;
    }
};

} // namespace

burst_paint_panel::burst_paint_panel(const burst_space& space_, const events_by_bursts_i& events_,
                                     QStatusBar& status_bar_, QWidget* parent)
    : QWidget(parent), space(space_), events(events_), status_bar(status_bar_),
      view(space_.total_sample_count()), show_x(true), show_y(true), show_z(true), show_burst_grid(true),
      show_time_grid(true)
{
    setAttribute(Qt::WA_MouseTracking);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &burst_paint_panel::show_context_menu);
    tracker.add_handler(new drag_handler_x_offset(&view, this));
}

burst_paint_panel::~burst_paint_panel() = default;

double burst_paint_panel::positions_per_pixel() const
{
    return view.positions_per_pixel(width());
}

void burst_paint_panel::paint(QPainter& painter, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    // The envelopes are single-pixel vertical runs; writing them into an image and showing it in
    // one blit is many times faster than stroking thousands of short lines through the painter.
    if (canvas_.size() != QSize(w, h))
        canvas_ = QImage(w, h, QImage::Format_RGB32);
    canvas_.fill(background_colour);
    paint_envelopes(canvas_);
    painter.drawImage(0, 0, canvas_);
    if (show_time_grid)
        paint_time_grid(painter, w, h);
}

void burst_paint_panel::paint_envelopes(QImage& image) const
{
    const int h = image.height();
    const int columns = image.width() - 1;
    if (columns <= 0)
        return;
    const QRgb separator = separator_colour.rgb(), x_rgb = x_colour.rgb(), y_rgb = y_colour.rgb(),
               z_rgb = z_colour.rgb(), gps = gps_colour.rgb();
    const double u = view.span() / columns;
    const double left = view.left();
    // Separators only while the longest burst is at least three columns wide.
    const bool separators = show_burst_grid && (u <= 0 || space.max_burst_sample_count() / u >= 3);
    double a = left;
    for (int i = 0; i < columns; ++i, a += u) {
        const burst_range range(space, burst_view_state::position_at(a),
                                burst_view_state::position_at(a + u));
        float min_x, max_x, min_y, max_y, min_z, max_z;
        bool several;
        range.value_range(min_x, max_x, min_y, max_y, min_z, max_z, several);
        if (separators && several)
            draw_column(image, i, 0, h, separator);
        if (show_x && max_x >= min_x)
            draw_column(image, i, y_of(min_x, h), y_of(max_x, h), x_rgb);
        if (show_y && max_y >= min_y)
            draw_column(image, i, y_of(min_y, h), y_of(max_y, h), y_rgb);
        if (show_z && max_z >= min_z)
            draw_column(image, i, y_of(min_z, h), y_of(max_z, h), z_rgb);
        if (range.first_burst != -1 && events.event_count_range(range.first_burst, range.last_burst) > 0)
            draw_column(image, i, 0, 10, gps);
    }
}

void burst_paint_panel::paint_time_grid(QPainter& painter, int w, int h) const
{
    const double per_pixel = view.positions_per_pixel(w);
    if (per_pixel <= 0)
        return; // no data across the widget, nothing to place
    const double left = view.left();
    const qint32 first = std::max(0, space.burst_index_for_sample(burst_view_state::position_at(left)));
    const qint32 last = space.burst_index_for_sample(burst_view_state::position_at(left + view.span()));
    if (last < first)
        return;
    const grid_walk walk{space, first, last, left, per_pixel};

    const bool hourly = walk.readable(hour_ms, "hour dist: ");
    const bool daily = walk.readable(day_ms, "day dist: ");
    if (!hourly && !daily)
        return;
    const qint64 length = hourly ? hour_ms : day_ms;
    const QString format = hourly ? QStringLiteral("yyyy-MM-dd hh:mm:ss") : QStringLiteral("yyyy-MM-dd");

    painter.setPen(time_grid_colour);
    for (qint32 i = walk.next_change(first, length); i <= last; i = walk.next_change(i, length)) {
        const int x = walk.x_of(i);
        painter.drawLine(x, 4, x, h - 4);
        painter.save();
        painter.translate(x + 12, h - 4);
        painter.rotate(-90);
        const qint64 t = space.timestamps()[static_cast<std::size_t>(i)];
        painter.drawText(0, 0, QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString(format));
        painter.restore();
    }
}

void burst_paint_panel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, width(), height());
}

void burst_paint_panel::resizeEvent(QResizeEvent* event)
{
    const QSize old_size = event->oldSize();
    const QSize new_size = event->size();
    trace::err("resize: ", old_size.width(), " x ", old_size.height(), " => ", new_size.width(), " x ",
               new_size.height());
    view.resize(old_size.width(), new_size.width());
    QWidget::resizeEvent(event);
}

void burst_paint_panel::mousePressEvent(QMouseEvent* event)
{
    trace::out("press: ", static_cast<int>(event->button()));
    tracker.press(*event);
}

void burst_paint_panel::mouseReleaseEvent(QMouseEvent* event)
{
    trace::out("release: ", static_cast<int>(event->button()));
    tracker.release(*event);
}

void burst_paint_panel::mouseMoveEvent(QMouseEvent* event)
{
    tracker.move(*event);
    if (event->buttons() != Qt::NoButton)
        return;
    const qint32 position = view.position_at_pixel(event->pos().x(), width());
    const qint32 n = space.burst_index_for_sample(position);
    if (n == -1) {
        status_bar.showMessage(QString());
        return;
    }
    const burst_entry& entry = space.entry(n);
    const qint32 s = position - entry.first_sample;
    const double f = entry.burst->sampling_frequency_per_axis;
    qint64 t = entry.burst->start_timestamp;
    // A burst without a usable rate reports its start time rather than an undefined one.
    if (f > 0 && std::isfinite(f)) {
        constexpr double limit = 1e15; // about 31,700 years either side of 1970
        const double exact = std::trunc(static_cast<double>(t) + s * 1000.0 / f);
        t = static_cast<qint64>(std::clamp(exact, -limit, limit));
    }
    const QString time = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss.zzz");
    status_bar.showMessage(QString::asprintf("burst-%04d:sample-%02d", n, s) + " [" + time + "]");
}

void burst_paint_panel::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    trace::out("wheel: ", delta);
    // Whole notches only: a fraction of a notch zooms nothing, several notches zoom that often.
    const int k = delta / -120;
    view.zoom_steps(k, static_cast<int>(event->position().x()), width());
    update();
}

void burst_paint_panel::show_context_menu(const QPoint& pos)
{
    trace::out("show context menu!");
    bool* const flags[] = {&show_x, &show_y, &show_z, &show_burst_grid, &show_time_grid};
    const QString texts[] = {tr("Show Acceleration X Axis"), tr("Show Acceleration Y Axis"),
                             tr("Show Acceleration Z Axis"), tr("Show Burst Grid"), tr("Show Time Grid")};
    QMenu menu;
    QAction* actions[5];
    for (int i = 0; i < 5; ++i) {
        actions[i] = menu.addAction(texts[i]);
        actions[i]->setCheckable(true);
        actions[i]->setChecked(*flags[i]);
    }
    if (!menu.exec(mapToGlobal(pos))) {
        trace::out("nothing!");
        return;
    }
    trace::out("item!");
    for (int i = 0; i < 5; ++i)
        *flags[i] = actions[i]->isChecked();
    update();
}

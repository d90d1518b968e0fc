#include "views/burst/burst_paint_panel.h"

#include "data/model/burst_range.h"
#include "data/model/burst_space.h"
#include "views/burst/burst_sample_time.h"
#include "views/burst/drag_handler_x_offset.h"
#include "views/burst/time_grid_label.h"
#include "data/model/events_by_bursts_i.h"
#include "data/io/trace.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

const QColor background_colour(255, 255, 255);
const QColor separator_colour(192, 192, 192);
const QColor time_grid_colour(128, 64, 0);
const QColor gps_colour("#ff8000");
const QColor selection_colour(0, 0, 0);
const QColor selection_fill(0, 0, 0, 28);

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

// The bursts a window of samples touches, resolved as burst_range resolves them. The burst at the
// last window's end is remembered: the next column's window starts there.
class column_bursts
{
public:
    explicit column_bursts(const burst_space& space) : space_(space) {}

    std::pair<qint32, qint32> operator()(qint32 first_sample, qint32 last_sample)
    {
        if (space_.total_sample_count() < first_sample)
            return {-1, -1};
        const qint32 first = at(first_sample);
        return {first, first == -1 ? -1 : at(last_sample)};
    }

private:
    qint32 at(qint32 sample)
    {
        if (!known_ || sample != sample_) {
            sample_ = sample;
            index_ = space_.burst_index_for_sample(sample);
            known_ = true;
        }
        return index_;
    }

    const burst_space& space_;
    bool known_ = false;
    qint32 sample_ = 0;
    qint32 index_ = -1;
};

} // namespace

burst_paint_panel::burst_paint_panel(const burst_space& space_, const events_by_bursts_i& events_,
                                     QStatusBar& status_bar_, QWidget* parent)
    : QWidget(parent), space(space_), events(events_), status_bar(status_bar_),
      view(space_.total_sample_count()), show_x(true), show_y(true), show_z(true), show_burst_grid(true),
      show_time_grid(true), extremes_(space_)
{
    setAttribute(Qt::WA_MouseTracking);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &burst_paint_panel::show_context_menu);
    tracker.add_handler(new drag_handler_x_offset(&view, this));
}

burst_paint_panel::~burst_paint_panel() = default;

QColor burst_paint_panel::gps_tick_colour()
{
    return gps_colour;
}

double burst_paint_panel::positions_per_pixel() const
{
    return view.positions_per_pixel(width());
}

void burst_paint_panel::set_selected_burst(qint32 index)
{
    if (index < 0 || index >= space.entry_count())
        index = -1;
    set_selected_range(index, index);
}

void burst_paint_panel::set_selected_range(qint32 anchor, qint32 index)
{
    if (anchor < 0 || anchor >= space.entry_count() || index < 0 || index >= space.entry_count())
        anchor = index = -1;
    const qint32 first = selection_first(), last = selection_last(), old = selected_;
    anchor_ = anchor;
    selected_ = index;
    if (first != selection_first() || last != selection_last()) {
        update();
        emit range_selected(selection_first(), selection_last());
    }
    if (old != selected_) {
        update();
        emit burst_selected(index);
    }
}

void burst_paint_panel::add_overlay(const burst_overlay* overlay)
{
    overlays_.push_back(overlay);
    update();
}

void burst_paint_panel::remove_overlay(const burst_overlay* overlay)
{
    overlays_.erase(std::remove(overlays_.begin(), overlays_.end(), overlay), overlays_.end());
    update();
}

void burst_paint_panel::centre_on_burst(qint32 index)
{
    if (index < 0 || index >= space.entry_count())
        return;
    const burst_entry& entry = space.entry(index);
    const double middle = entry.first_sample + entry.burst->sample_count / 2.0;
    view.set_offset(middle - view.begin() - view.span() / 2);
    update();
}

void burst_paint_panel::jump_to_burst(qint32 index)
{
    set_selected_burst(index);
    if (index < 0 || index >= space.entry_count())
        return;
    const burst_entry& entry = space.entry(index);
    view.jump_to(entry.first_sample, entry.burst->sample_count);
    update();
}

qint32 burst_paint_panel::burst_at_pixel(int x) const
{
    const qint32 position = view.position_at_pixel(x, width());
    const qint32 n = space.burst_index_for_sample(position);
    if (n == -1)
        return -1;
    const burst_entry& entry = space.entry(n);
    return position - entry.first_sample < entry.burst->sample_count ? n : -1;
}

void burst_paint_panel::pan_views(double views)
{
    view.pan_views(views);
    update();
}

void burst_paint_panel::zoom_about_centre(double factor)
{
    if (view.zoom_about_centre(factor))
        update();
}

void burst_paint_panel::show_all()
{
    view.show_all();
    update();
}

void burst_paint_panel::set_axis_shown(int axis, bool shown)
{
    bool& flag = axis == 0 ? show_x : axis == 1 ? show_y : show_z;
    if (flag == shown)
        return;
    flag = shown;
    update();
    emit layers_changed();
}

bool burst_paint_panel::axis_shown(int axis) const
{
    return axis == 0 ? show_x : axis == 1 ? show_y : show_z;
}

void burst_paint_panel::set_palette(const axis_palette& palette)
{
    palette_ = palette;
    update();
    emit layers_changed();
}

void burst_paint_panel::set_calibration(const std::optional<burst_calibration>& calibration)
{
    calibration_ = calibration;
    emit layers_changed();
}

void burst_paint_panel::set_hovered(qint32 index)
{
    if (index == hovered_)
        return;
    hovered_ = index;
    emit burst_hovered(index);
}

void burst_paint_panel::paint(QPainter& painter, int w, int h)
{
    if (w <= 0 || h <= 0)
        return;
    // The envelopes are single-pixel vertical runs; writing them into an image and showing it in
    // one blit is many times faster than stroking thousands of short lines through the painter.
    // Envelope runs walk down the columns: with an odd number of cache lines per row the rows of a
    // run spread over every cache set instead of thrashing a few.
    const int lines = (w + 15) / 16;
    const QSize size((lines | 1) * 16, h);
    if (canvas_.size() != size)
        canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.fill(background_colour);
    paint_envelopes(canvas_, w);
    painter.drawImage(QPoint(0, 0), canvas_, QRect(0, 0, w, h));
    const double per_pixel = view.positions_per_pixel(w);
    if (!overlays_.empty() && per_pixel > 0) {
        const double left = view.left();
        const burst_overlay::frame f{
            space, w, h, std::max(0, space.burst_index_for_sample(burst_view_state::position_at(left))),
            space.burst_index_for_sample(burst_view_state::position_at(left + view.span())), left, per_pixel};
        for (const burst_overlay* overlay : overlays_)
            overlay->paint(painter, f);
    }
    if (show_time_grid)
        paint_time_grid(painter, w, h);
    if (selected_ != -1)
        paint_selection(painter, w, h);
}

void burst_paint_panel::paint_selection(QPainter& painter, int w, int h) const
{
    const double per_pixel = view.positions_per_pixel(w);
    if (per_pixel <= 0)
        return;
    const burst_entry& first = space.entry(selection_first());
    const burst_entry& last = space.entry(selection_last());
    const double left = view.left();
    const int x1 = pixel_at((first.first_sample - left) / per_pixel);
    const int x2 =
        std::max(x1 + 1, pixel_at((last.first_sample + last.burst->sample_count - left) / per_pixel));
    const QRect frame(QPoint(x1, 0), QPoint(x2 - 1, h - 1));
    painter.fillRect(frame, selection_fill);
    painter.setPen(selection_colour);
    painter.setBrush(Qt::NoBrush);
    // A 1-pixel pen strokes one pixel beyond the right and bottom edges of the rectangle it is given.
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

void burst_paint_panel::paint_envelopes(QImage& image, int w) const
{
    const int h = image.height();
    const int columns = w - 1;
    if (columns <= 0)
        return;
    const QRgb separator = separator_colour.rgb(), x_rgb = palette_.x.rgb(), y_rgb = palette_.y.rgb(),
               z_rgb = palette_.z.rgb(), gps = gps_colour.rgb();
    const double u = view.span() / columns;
    const double left = view.left();
    // Separators only while the longest burst is at least three columns wide.
    const qint64 longest = space.max_burst_sample_count();
    const bool separators = show_burst_grid && (u <= 0 || longest / u >= 3);
    column_bursts bursts_of(space);
    double a = left;
    for (int i = 0; i < columns; ++i, a += u) {
        const qint32 first_sample = burst_view_state::position_at(a);
        const qint32 last_sample = burst_view_state::position_at(a + u);
        const auto [first, last] = bursts_of(first_sample, last_sample);
        float min_x, max_x, min_y, max_y, min_z, max_z;
        bool several;
        // A window longer than every burst takes each burst it touches whole, as the tree folds them.
        if (first != -1 && qint64(last_sample) - first_sample > longest) {
            float lo[3], hi[3];
            std::fill(lo, lo + 3, std::numeric_limits<float>::max());
            std::fill(hi, hi + 3, -std::numeric_limits<float>::max());
            extremes_.fold(first, last, lo, hi);
            min_x = lo[0], min_y = lo[1], min_z = lo[2];
            max_x = hi[0], max_y = hi[1], max_z = hi[2];
            several = first != last;
        } else {
            burst_range(space, first_sample, last_sample)
                .value_range(min_x, max_x, min_y, max_y, min_z, max_z, several);
        }
        if (separators && several)
            draw_column(image, i, 0, h, separator);
        if (show_x && max_x >= min_x)
            draw_column(image, i, y_of(min_x, h), y_of(max_x, h), x_rgb);
        if (show_y && max_y >= min_y)
            draw_column(image, i, y_of(min_y, h), y_of(max_y, h), y_rgb);
        if (show_z && max_z >= min_z)
            draw_column(image, i, y_of(min_z, h), y_of(max_z, h), z_rgb);
        if (first != -1 && events.event_count_range(first, last) > 0)
            draw_column(image, i, 0, 10, gps);
    }
}

std::vector<QRect> burst_paint_panel::overlay_text_rects(int w, int h) const
{
    std::vector<QRect> rects;
    const double per_pixel = view.positions_per_pixel(w);
    if (per_pixel <= 0)
        return rects;
    const double left = view.left();
    const burst_overlay::frame f{
        space, w, h, std::max(0, space.burst_index_for_sample(burst_view_state::position_at(left))),
        space.burst_index_for_sample(burst_view_state::position_at(left + view.span())), left, per_pixel};
    for (const burst_overlay* overlay : overlays_) {
        const QRect r = overlay->text_rect(f, font());
        if (!r.isNull())
            rects.push_back(r);
    }
    return rects;
}

std::vector<QRect> burst_paint_panel::time_grid_label_rects(int w, int h) const
{
    std::vector<QRect> rects;
    for (const grid_label& label : time_grid_labels(w, h, overlay_text_rects(w, h)))
        rects.push_back(label.rect);
    return rects;
}

std::vector<burst_paint_panel::grid_label> burst_paint_panel::time_grid_labels(int w, int h,
                                                                             const std::vector<QRect>& keep_clear) const
{
    std::vector<grid_label> labels;
    const double per_pixel = view.positions_per_pixel(w);
    if (per_pixel <= 0)
        return labels; // no data across the widget, nothing to place
    const double left = view.left();
    const qint32 first = std::max(0, space.burst_index_for_sample(burst_view_state::position_at(left)));
    const qint32 last = space.burst_index_for_sample(burst_view_state::position_at(left + view.span()));
    if (last < first)
        return labels;
    const grid_walk walk{space, first, last, left, per_pixel};

    const bool hourly = walk.readable(hour_ms, "hour dist: ");
    const bool daily = walk.readable(day_ms, "day dist: ");
    if (!hourly && !daily)
        return labels;
    const qint64 length = hourly ? hour_ms : day_ms;
    const QString format = hourly ? QStringLiteral("yyyy-MM-dd hh:mm:ss") : QStringLiteral("yyyy-MM-dd");
    const QFontMetrics fm(font());
    for (qint32 i = walk.next_change(first, length); i <= last; i = walk.next_change(i, length)) {
        const int x = walk.x_of(i);
        const qint64 t = space.timestamps()[static_cast<std::size_t>(i)];
        const QString text = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString(format);
        labels.push_back({x, text,
                          time_grid_label_rect(x, h, fm.horizontalAdvance(text), fm.ascent(), fm.descent(),
                                               keep_clear)});
    }
    return labels;
}

void burst_paint_panel::paint_time_grid(QPainter& painter, int w, int h) const
{
    const std::vector<QRect> keep_clear = overlay_text_rects(w, h);
    const QFontMetrics fm(font());
    painter.setPen(time_grid_colour);
    for (const grid_label& label : time_grid_labels(w, h, keep_clear)) {
        const int x = label.x;
        // The pixels of a one-pixel pen line from (x, 4) to (x, h - 4), filled without the stroker,
        // broken where an overlay writes.
        int from = std::min(4, h - 4);
        const int to = std::max(4, h - 4);
        std::vector<QRect> crossed;
        for (const QRect& r : keep_clear)
            if (r.left() <= x && x <= r.right())
                crossed.push_back(r);
        std::sort(crossed.begin(), crossed.end(), [](const QRect& a, const QRect& b) { return a.top() < b.top(); });
        for (const QRect& r : crossed) {
            if (r.top() > from)
                painter.fillRect(QRect(QPoint(x, from), QPoint(x, std::min(to, r.top() - 1))), time_grid_colour);
            from = std::max(from, r.bottom() + 1);
        }
        if (from <= to)
            painter.fillRect(QRect(QPoint(x, from), QPoint(x, to)), time_grid_colour);
        painter.save();
        painter.translate(label.rect.left() + fm.ascent(), label.rect.bottom());
        painter.rotate(-90);
        painter.drawText(0, 0, label.text);
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
    press_pos_ = event->pos();
    range_drag_ = event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier);
    if (!range_drag_)
        tracker.press(*event);
}

qint32 burst_paint_panel::burst_nearest_pixel(int x) const
{
    if (space.entry_count() == 0)
        return -1;
    const qint32 n = space.burst_index_for_sample(view.position_at_pixel(x, width()));
    return std::max(0, n);
}

void burst_paint_panel::mouseReleaseEvent(QMouseEvent* event)
{
    trace::out("release: ", static_cast<int>(event->button()));
    if (range_drag_) {
        // Shift+click or Shift+drag: the range from the selected burst (or the pressed one) on.
        range_drag_ = false;
        const qint32 from = selected_ != -1 && event->pos() == press_pos_ ? anchor_ : burst_nearest_pixel(press_pos_.x());
        set_selected_range(from, burst_nearest_pixel(event->pos().x()));
        return;
    }
    tracker.release(*event);
    // A left click that did not move selects; a drag only pans.
    if (event->button() == Qt::LeftButton && event->pos() == press_pos_)
        set_selected_burst(burst_at_pixel(event->pos().x()));
}

void burst_paint_panel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press as before, then the burst opens.
    mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const qint32 n = burst_at_pixel(event->pos().x());
    if (n == -1)
        return;
    set_selected_burst(n);
    emit burst_activated(n);
}

void burst_paint_panel::leaveEvent(QEvent* event)
{
    set_hovered(-1);
    QWidget::leaveEvent(event);
}

void burst_paint_panel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selected_ != -1) {
        emit burst_activated(selected_);
        return;
    }
    // Ctrl+Left / Ctrl+Right select the previous / next burst and bring it to the centre.
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && event->modifiers() == Qt::ControlModifier &&
        space.entry_count() > 0) {
        const qint32 step = key == Qt::Key_Left ? -1 : 1;
        const qint32 from = selected_ != -1 ? selected_ : (step > 0 ? -1 : space.entry_count());
        const qint32 n = std::clamp(from + step, 0, space.entry_count() - 1);
        set_selected_burst(n);
        centre_on_burst(n);
        return;
    }
    QWidget::keyPressEvent(event);
}

void burst_paint_panel::mouseMoveEvent(QMouseEvent* event)
{
    if (range_drag_) {
        set_selected_range(burst_nearest_pixel(press_pos_.x()), burst_nearest_pixel(event->pos().x()));
        return;
    }
    tracker.move(*event);
    if (event->buttons() != Qt::NoButton)
        return;
    set_hovered(burst_at_pixel(event->pos().x()));
    const qint32 position = view.position_at_pixel(event->pos().x(), width());
    const qint32 n = space.burst_index_for_sample(position);
    if (n == -1) {
        status_bar.showMessage(QString());
        return;
    }
    const burst_entry& entry = space.entry(n);
    const qint32 s = position - entry.first_sample;
    const qint64 t = burst_sample_time(*entry.burst, s);
    const QString time = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss.zzz");
    QString message = QString::asprintf("burst-%04d:sample-%02d", n, s) + " [" + time + " UTC]";
    if (s < entry.burst->sample_count) {
        const auto k = static_cast<std::size_t>(s);
        const float raw[3] = {entry.burst->x[k], entry.burst->y[k], entry.burst->z[k]};
        const char* const names[3] = {" X ", " Y ", " Z "};
        for (int a = 0; a < 3; ++a)
            message +=
                QLatin1String(names[a]) +
                (calibration_ ? QString::number(calibration_->to_g(a, raw[a]), 'f', 3) + QStringLiteral(" g")
                              : QString::number(static_cast<double>(raw[a])));
    }
    status_bar.showMessage(message);
}

void burst_paint_panel::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    trace::out("wheel: ", delta);
    if (event->modifiers() & Qt::ControlModifier) {
        // Each whole notch away from the user halves the span about the centre.
        const int notches = delta / 120;
        if (notches != 0)
            zoom_about_centre(std::pow(0.5, notches));
        return;
    }
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
    emit layers_changed();
}

#include "map/map_widget.h"

#include "map/drag_handler_map.h"
#include "map/event_space_layer.h"
#include "map/scale_bar.h"
#include "data/model/event_space.h"
#include "map/layer.h"
#include "map/tile_manager.h"
#include "data/io/trace.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// A map pixel truncated toward zero; none for values no 64-bit pixel can hold (NaN, infinities,
// absurd coordinates from a damaged file).
std::optional<qint64> pixel_of(double v)
{
    if (!(std::fabs(v) < 4.0e18))
        return std::nullopt;
    return static_cast<qint64>(std::trunc(v));
}

// Whether a span of pixels from a to b, plus half a tile, covers fewer than three tiles.
bool spans_fit(qint64 a, qint64 b, qint64 tile_size)
{
    return (b - a + tile_size / 2) / tile_size <= 2;
}

} // namespace

map_widget::map_widget(tile_manager* tiles, QWidget* parent) : QWidget(parent), tiles_(tiles)
{
    // paintEvent covers every pixel itself, starting from white: no background fill before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(tiles_, &tile_manager::tile_is_ready, this, qOverload<>(&QWidget::update));
    tracker_.add_handler(new drag_handler_map(&view_, this));
    view_.step_up();
}

map_widget::~map_widget() = default;

std::unique_ptr<layer_ref> map_widget::add_layer(layer* l)
{
    append_layer(l);
    return std::make_unique<layer_ref>(this, l);
}

void map_widget::level_done(qint32 before)
{
    update();
    if (view_.currentLevel != before)
        emit shown_level_changed(view_.currentLevel);
}

void map_widget::increase_level()
{
    if (view_.currentLevel >= view_.maxLevel)
        return;
    const qint32 before = view_.currentLevel;
    view_.step_up();
    level_done(before);
    emit level_changed(view_.currentLevel);
}

void map_widget::decrease_level()
{
    if (view_.currentLevel <= view_.minLevel)
        return;
    const qint32 before = view_.currentLevel;
    view_.step_down();
    level_done(before);
    emit level_changed(view_.currentLevel);
}

void map_widget::set_level(int level)
{
    const qint32 before = view_.currentLevel;
    view_.go_to_level(level);
    level_done(before);
    emit level_changed(level);
}

void map_widget::fit_to_box(const geo_box& box)
{
    if (box.max_longitude < box.min_longitude || box.max_latitude < box.min_latitude) {
        trace::out("box is empty");
        return;
    }
    const double middle_latitude = (box.min_latitude + box.max_latitude) * 0.5;
    const double middle_longitude = (box.min_longitude + box.max_longitude) * 0.5;
    std::optional<qint32> best;
    qint64 cx = 0;
    qint64 cy = 0;
    for (qint32 level = view_.minLevel; level <= view_.maxLevel; ++level) {
        const map_scale scale = make_scale(level);
        const auto xw = pixel_of(longitude_to_map_x(box.min_longitude, scale));
        const auto xe = pixel_of(longitude_to_map_x(box.max_longitude, scale));
        if (!xw || !xe || !spans_fit(*xw, *xe, view_.tileSize))
            continue;
        // North has the smaller row.
        const auto yn = pixel_of(latitude_to_map_y(box.max_latitude, scale));
        const auto ys = pixel_of(latitude_to_map_y(box.min_latitude, scale));
        if (!yn || !ys || !spans_fit(*yn, *ys, view_.tileSize))
            continue;
        const auto x = pixel_of(longitude_to_map_x(middle_longitude, scale));
        const auto y = pixel_of(latitude_to_map_y(middle_latitude, scale));
        if (!x || !y)
            continue;
        best = level;
        cx = *x;
        cy = *y;
    }
    if (!best) {
        trace::out("can not fit to box");
        return;
    }
    const qint32 before = view_.currentLevel;
    view_.go_to_level(*best);
    view_.originX = cx;
    view_.originY = cy;
    if (view_.currentLevel != before)
        emit shown_level_changed(view_.currentLevel);
}

void map_widget::fit_to_tracks()
{
    geo_box box{1, 1, 0, 0};
    for (event_space_layer* track : tracks())
        box = box.joined(track->events()->bounds());
    if (box.empty())
        return;
    fit_to_box(box);
    update();
}

std::vector<event_space_layer*> map_widget::tracks() const
{
    std::vector<event_space_layer*> found;
    for (layer* l : layers())
        if (auto* track = dynamic_cast<event_space_layer*>(l))
            found.push_back(track);
    return found;
}

QColor map_widget::unused_track_colour() const
{
    const std::vector<event_space_layer*> taken = tracks();
    for (const QColor& colour : event_space_layer::palette())
        if (std::none_of(taken.begin(), taken.end(),
                         [&](event_space_layer* t) { return t->colour() == colour; }))
            return colour;
    return event_space_layer::palette()[taken.size() % event_space_layer::palette().size()];
}

std::pair<event_space_layer*, const gps_event*> map_widget::fix_at(int x, int y) const
{
    const double size = view_.scale().map_size;
    const map_pixel m = view_.widget_to_map(x, y, width(), height());
    // The pixel's centre, in Mercator units.
    const double ux = (static_cast<double>(m.x) + 0.5) / size;
    const double uy = (static_cast<double>(m.y) + 0.5) / size;
    const double radius = pick_radius / size;
    std::pair<event_space_layer*, const gps_event*> best{nullptr, nullptr};
    double best_d2 = 0;
    for (event_space_layer* track : tracks()) {
        const qint32 i = track->nearest_fix(ux, uy, radius);
        if (i < 0)
            continue;
        const gps_event* fix = track->events()->events()[static_cast<std::size_t>(i)];
        const double dx = longitude_to_unit_x(fix->longitude) - ux;
        const double dy = latitude_to_unit_y(fix->latitude) - uy;
        const double d2 = dx * dx + dy * dy;
        if (!best.first || d2 <= best_d2) {
            best = {track, fix};
            best_d2 = d2;
        }
    }
    return best;
}

void map_widget::select_fix(event_space_layer* track, const gps_event* fix)
{
    for (event_space_layer* t : tracks())
        t->set_selected(t == track ? fix : nullptr);
    update();
}

void map_widget::set_attribution(const QString& text)
{
    attribution_ = text;
    update();
}

QPointF map_widget::position_at(int x, int y) const
{
    const double size = view_.scale().map_size;
    const map_pixel m = view_.widget_to_map(x, y, width(), height());
    return QPointF(unit_x_to_longitude((static_cast<double>(m.x) + 0.5) / size),
                   unit_y_to_latitude((static_cast<double>(m.y) + 0.5) / size));
}

void map_widget::layers_changed_hook()
{
    emit layers_changed();
}

void map_widget::mousePressEvent(QMouseEvent* event)
{
    tracker_.press(*event);
}

void map_widget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = tracker_.pressed && !tracker_.dragging && event->button() == Qt::LeftButton;
    tracker_.release(*event);
    if (!click)
        return;
    const auto [track, fix] = fix_at(event->pos().x(), event->pos().y());
    select_fix(track, fix);
    if (fix)
        emit fix_clicked(track, fix);
}

void map_widget::mouseMoveEvent(QMouseEvent* event)
{
    tracker_.move(*event);
    const QPointF at = position_at(event->pos().x(), event->pos().y());
    emit cursor_moved(at.x(), at.y());
}

void map_widget::wheelEvent(QWheelEvent* event)
{
    // The legacy single-axis delta: the dominant axis of the angle delta.
    const QPoint angle = event->angleDelta();
    const int delta = std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
    const qint64 x = static_cast<qint64>(event->position().x());
    const qint64 y = static_cast<qint64>(event->position().y());
    trace_debug() << "wheel: " << delta << angle << event->pixelDelta() << ", x:" << x << ", y:" << y;

    const qint64 zx = view_.left_x(width()) + x;
    const qint64 zy = view_.top_y(height()) + y;
    trace_debug() << " zoom origin: " << zx << ", " << zy;
    trace_debug() << " map origin: " << view_.originX << ", " << view_.originY;
    const qint64 sx = zx - view_.originX;
    const qint64 sy = zy - view_.originY;
    trace_debug() << " shift: " << sx << ", " << sy;

    const qint32 before = view_.currentLevel;
    // Only whole single notches zoom: smooth-scrolling fractions and bunched notches do not.
    if ((delta == -120 && view_.currentLevel > view_.minLevel) ||
        (delta == 120 && view_.currentLevel < view_.maxLevel)) {
        view_.originX = zx;
        view_.originY = zy;
        if (delta < 0)
            view_.step_down();
        else
            view_.step_up();
        view_.originX -= sx;
        view_.originY -= sy;
    }
    level_done(before);
}

void map_widget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setBackground(QBrush(QColor(255, 255, 255, 255)));
    painter.eraseRect(rect());

    const qint32 level = view_.currentLevel;
    const tile_range range = view_.visible_tiles(width(), height());
    for (qint64 c = range.c0; c <= range.c1; ++c) {
        const qint32 column = wrap_column(c, level);
        for (qint64 r = range.r0; r <= range.r1; ++r) {
            const QPixmap& pixmap = tiles_->get_tile_pixmap(column, static_cast<int>(r), level);
            painter.drawPixmap(range.tile_left(c), range.tile_top(r), pixmap);
        }
    }

    const map_scale scale = view_.scale();
    for (layer* l : layers())
        l->paint(&painter, scale, range.left_x, range.top_y);
    for (layer* l : layers())
        l->paint_overlay(&painter, scale, range.left_x, range.top_y);
    paint_legend(painter);
    paint_scale_bar(painter);
    paint_attribution(painter);
    painter.end();
}

namespace {

const QColor panel_colour(255, 255, 255, 210);
constexpr int panel_margin = 6;

} // namespace

void map_widget::paint_legend(QPainter& painter) const
{
    std::vector<event_space_layer*> named;
    for (event_space_layer* track : tracks())
        if (!track->name().isEmpty())
            named.push_back(track);
    if (named.empty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height() + 2;
    int text_width = 0;
    for (event_space_layer* track : named)
        text_width = std::max(text_width, metrics.horizontalAdvance(track->name()));
    const int swatch = 18;
    const QRect box(width() - panel_margin - (text_width + swatch + 16), panel_margin,
                    text_width + swatch + 16, int(named.size()) * line + 8);
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel_colour);
    painter.drawRect(box);
    int y = box.top() + 4;
    for (event_space_layer* track : named) {
        painter.setPen(QPen(track->colour(), 3));
        painter.drawLine(box.left() + 6, y + line / 2, box.left() + 6 + swatch, y + line / 2);
        painter.setPen(Qt::black);
        painter.drawText(QRect(box.left() + swatch + 12, y, text_width + 2, line),
                         Qt::AlignVCenter | Qt::AlignLeft, track->name());
        y += line;
    }
}

void map_widget::paint_scale_bar(QPainter& painter) const
{
    const double latitude = position_at(width() / 2, height() / 2).y();
    const scale_bar bar = scale_bar::choose(ground_resolution(latitude, view_.currentLevel), 120);
    if (bar.metres <= 0)
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const int length = static_cast<int>(std::lround(bar.pixels));
    const int x = panel_margin + 4;
    const int y = height() - panel_margin - 6;
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel_colour);
    painter.drawRect(QRect(panel_margin, y - metrics.height() - 6,
                           std::max(length, metrics.horizontalAdvance(bar.label)) + 10,
                           metrics.height() + 10));
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(x, y, x + length, y);
    painter.drawLine(x, y, x, y - 5);
    painter.drawLine(x + length, y, x + length, y - 5);
    painter.drawText(QPoint(x + 2, y - 4), bar.label);
}

void map_widget::paint_attribution(QPainter& painter) const
{
    if (attribution_.isEmpty())
        return;
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect text = metrics.boundingRect(attribution_);
    const QRect box(width() - text.width() - 8, height() - metrics.height() - 4, text.width() + 8,
                    metrics.height() + 4);
    painter.setPen(Qt::NoPen);
    painter.setBrush(panel_colour);
    painter.drawRect(box);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, attribution_);
}

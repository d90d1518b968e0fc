#include "map/map_widget.h"

#include "map/drag_handler_map.h"
#include "map/layer.h"
#include "map/tile_manager.h"
#include "data/trace.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

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

void map_widget::mousePressEvent(QMouseEvent* event)
{
    tracker_.press(*event);
}

void map_widget::mouseReleaseEvent(QMouseEvent* event)
{
    tracker_.release(*event);
}

void map_widget::mouseMoveEvent(QMouseEvent* event)
{
    tracker_.move(*event);
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
    painter.end();
}

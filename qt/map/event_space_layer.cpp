#include "map/event_space_layer.h"

#include "data/event_space.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QColor track_colour("#2020ff");

// Segments this far outside the painted area are culled; the stroker's caps stay out of sight.
constexpr double cull_margin = 2.0;

// Widget coordinates are held within this bound: only absurd coordinates from a damaged file reach
// it, and the stroker and the pixel arithmetic stay in range.
constexpr double coordinate_limit = 1073741824.0;

double bounded(double v)
{
    return std::clamp(v, -coordinate_limit, coordinate_limit);
}

} // namespace

event_space_layer::event_space_layer(const event_space* events) : events_(events)
{
    units_.reserve(events_->events().size());
    for (const gps_event* e : events_->events())
        units_.emplace_back(longitude_to_unit_x(e->longitude), latitude_to_unit_y(e->latitude));
}

void event_space_layer::paint(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y)
{
    if (units_.size() < 2)
        return; // a lone fix has no segment to stroke
    const double left = static_cast<double>(left_x);
    const double top = static_cast<double>(top_y);
    const double size = scale.map_size;

    // The painted area in layer coordinates, and the size of a device pixel in them.
    const QTransform& transform = painter->worldTransform();
    QPaintDevice* device = painter->device();
    const QRectF area = transform.inverted()
                            .mapRect(QRectF(0, 0, device->width(), device->height()))
                            .adjusted(-cull_margin, -cull_margin, cull_margin, cull_margin);
    const double device_scale =
        std::max(1e-6, device->devicePixelRatioF() * std::sqrt(std::abs(transform.determinant())));
    const double x0 = area.left(), x1 = area.right(), y0 = area.top(), y1 = area.bottom();
    const double near_enough = 0.5 / device_scale;

    QPen pen(track_colour);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);

    // Each run of visible segments is stroked as one polyline: the same lines as one path with a
    // move-to at every break, without building the path.
    std::vector<QPointF>& run = run_;
    run.clear();
    const auto stroke = [&]() {
        if (run.size() >= 2)
            painter->drawPolyline(run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    bool have_previous = false; // a point was seen
    bool open = false;          // a subpath is open and ends at `previous`
    QPointF previous;

    for (const QPointF& c : level_points(size, near_enough)) {
        const QPointF p(bounded(c.x() - left), bounded(c.y() - top));
        if (!have_previous) {
            have_previous = true;
            previous = p;
            continue;
        }
        const bool outside = (previous.x() < x0 && p.x() < x0) || (previous.x() > x1 && p.x() > x1) ||
                             (previous.y() < y0 && p.y() < y0) || (previous.y() > y1 && p.y() > y1);
        if (outside) {
            stroke();
            open = false;
            previous = p;
            continue;
        }
        if (!open) {
            run.push_back(previous);
            open = true;
        }
        run.push_back(p);
        previous = p;
    }
    stroke();
}

const std::vector<QPointF>& event_space_layer::level_points(double map_size, double near_enough)
{
    for (auto it = levels_.begin(); it != levels_.end(); ++it) {
        if (it->map_size == map_size && it->near_enough == near_enough) {
            if (it != levels_.begin())
                levels_.splice(levels_.begin(), levels_, it);
            return levels_.front().points;
        }
    }
    if (levels_.size() >= kept_levels)
        levels_.pop_back();
    levels_.push_front(level_track{map_size, near_enough, {}});
    std::vector<QPointF>& points = levels_.front().points;

    // Fixes within near_enough of the last kept one are passed over: the line through them stays
    // within a pixel of the one drawn, and no sub-pixel zigzag is stroked. The last one passed over
    // before a kept fix or the end is not needed: the kept fix is drawn from the last kept one.
    bool pending = false; // `held`, a fix near the last kept one, is not kept yet
    QPointF held;
    for (const QPointF& u : units_) {
        const QPointF p(u.x() * map_size, u.y() * map_size);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            continue; // unreadable coordinates are skipped, as a path skips invalid points
        if (!points.empty() && std::abs(p.x() - points.back().x()) < near_enough &&
            std::abs(p.y() - points.back().y()) < near_enough) {
            held = p;
            pending = true;
            continue;
        }
        points.push_back(p);
        pending = false;
    }
    if (pending)
        points.push_back(held);
    points.shrink_to_fit();
    return points;
}

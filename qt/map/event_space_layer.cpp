#include "map/event_space_layer.h"

#include "data/model/event_space.h"
#include "data/model/gps_event.h"
#include "data/tracks/value_scale.h"
#include "map/colour_ramp.h"
#include "map/line_raster.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

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

const std::vector<QColor>& event_space_layer::palette()
{
    // The first track keeps the long-standing blue; then a qualitative set told apart on the tiles.
    static const std::vector<QColor> colours{QColor("#2020ff"), QColor("#d95f02"), QColor("#1b9e77"),
                                             QColor("#e7298a"), QColor("#66a61e"), QColor("#a6761d"),
                                             QColor("#7570b3"), QColor("#e6ab02")};
    return colours;
}

event_space_layer::event_space_layer(const event_space* events, const QColor& colour, const QString& name)
    : events_(events), colour_(colour), name_(name)
{
    units_.reserve(events_->events().size());
    for (const gps_event* e : events_->events())
        units_.emplace_back(longitude_to_unit_x(e->longitude), latitude_to_unit_y(e->latitude));
    by_x_.reserve(units_.size());
    for (std::size_t i = 0; i < units_.size(); ++i)
        if (std::isfinite(units_[i].x()) && std::isfinite(units_[i].y()))
            by_x_.push_back(static_cast<qint32>(i));
    std::vector<double> steps;
    steps.reserve(by_x_.size());
    for (std::size_t i = 1; i < units_.size(); ++i) {
        const double d = std::hypot(units_[i].x() - units_[i - 1].x(), units_[i].y() - units_[i - 1].y());
        if (std::isfinite(d))
            steps.push_back(d);
    }
    if (!steps.empty()) {
        std::nth_element(steps.begin(), steps.begin() + std::ptrdiff_t(steps.size() / 2), steps.end());
        median_step_ = steps[steps.size() / 2];
    }
    std::stable_sort(by_x_.begin(), by_x_.end(), [this](qint32 a, qint32 b) {
        return units_[std::size_t(a)].x() < units_[std::size_t(b)].x();
    });
}

qint32 event_space_layer::nearest_fix(double unit_x, double unit_y, double radius) const
{
    const auto x_of = [this](qint32 i) { return units_[std::size_t(i)].x(); };
    auto it = std::lower_bound(by_x_.begin(), by_x_.end(), unit_x - radius,
                               [&](qint32 i, double x) { return x_of(i) < x; });
    qint32 best = -1;
    double best_d2 = radius * radius;
    for (; it != by_x_.end() && x_of(*it) <= unit_x + radius; ++it) {
        const QPointF& u = units_[std::size_t(*it)];
        const double dx = u.x() - unit_x, dy = u.y() - unit_y;
        const double d2 = dx * dx + dy * dy;
        if (d2 < best_d2 || (d2 == best_d2 && (best == -1 || *it < best))) {
            best = *it;
            best_d2 = d2;
        }
    }
    return best;
}

namespace {

// Calls segment(a, b, i) for each segment between consecutive points (shifted by -left, -top) that
// is not wholly beyond one side of area, in order; i is the index of b.
template <typename F>
void for_each_visible_segment(const std::vector<QPointF>& points, double left, double top, const QRectF& area,
                              F segment)
{
    const double x0 = area.left(), x1 = area.right(), y0 = area.top(), y1 = area.bottom();
    bool have_previous = false;
    QPointF previous;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const QPointF& c = points[i];
        const QPointF p(bounded(c.x() - left), bounded(c.y() - top));
        if (have_previous && !((previous.x() < x0 && p.x() < x0) || (previous.x() > x1 && p.x() > x1) ||
                               (previous.y() < y0 && p.y() < y0) || (previous.y() > y1 && p.y() > y1)))
            segment(previous, p, i);
        have_previous = true;
        previous = p;
    }
}

// Shared by every track: tracks are painted one after the other on the GUI thread.
line_raster& raster()
{
    static line_raster shared;
    return shared;
}

} // namespace

void event_space_layer::paint(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y)
{
    if (units_.size() < 2 || !shown_)
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
    const double near_enough = 0.5 / device_scale;

    // Straight onto the device's pixels the track is set into a picture and drawn in one blend;
    // under a scaling or fractional transform the painter strokes it.
    const bool whole_pixels =
        transform.type() <= QTransform::TxTranslate && transform.dx() == std::floor(transform.dx()) &&
        transform.dy() == std::floor(transform.dy()) && device->devicePixelRatioF() == 1.0;
    const level_track& track = level_points(size, near_enough);
    const bool by_value = !track.colours.empty();
    if (whole_pixels) {
        const QPointF origin(-transform.dx(), -transform.dy()); // the device's top left, in layer coordinates
        line_raster& lines = raster();
        lines.begin(QSize(device->width(), device->height()), colour_);
        if (by_value)
            for_each_visible_segment(track.points, left, top, area,
                                     [&](const QPointF& a, const QPointF& b, std::size_t i) {
                                         lines.set_colour(track.colours[i]);
                                         lines.line(a - origin, b - origin);
                                     });
        else
            for_each_visible_segment(
                track.points, left, top, area,
                [&](const QPointF& a, const QPointF& b, std::size_t) { lines.line(a - origin, b - origin); });
        lines.finish(*painter, origin);
        return;
    }

    QPen pen(colour_);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    QRgb pen_colour = colour_.rgb();

    // Each run of visible segments is stroked as one polyline: the same lines as one path with a
    // move-to at every break, without building the path.
    std::vector<QPointF>& run = run_;
    run.clear();
    const auto stroke = [&]() {
        if (run.size() >= 2)
            painter->drawPolyline(run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    // Coloured by value, a run also ends where the colour changes.
    for_each_visible_segment(track.points, left, top, area,
                             [&](const QPointF& a, const QPointF& b, std::size_t i) {
                                 if (!run.empty() && run.back() != a)
                                     stroke();
                                 if (by_value && track.colours[i] != pen_colour) {
                                     stroke();
                                     pen_colour = track.colours[i];
                                     pen.setColor(QColor::fromRgb(pen_colour));
                                     painter->setPen(pen);
                                 }
                                 if (run.empty())
                                     run.push_back(a);
                                 run.push_back(b);
                             });
    stroke();
}

namespace {

// A fix's widget position, or none for unreadable or absurd coordinates.
bool widget_point(const QPointF& u, double size, double left, double top, QPointF& p)
{
    const double x = u.x() * size - left, y = u.y() * size - top;
    if (!std::isfinite(x) || !std::isfinite(y) || std::abs(x) > coordinate_limit ||
        std::abs(y) > coordinate_limit)
        return false;
    p = QPointF(x, y);
    return true;
}

} // namespace

void event_space_layer::paint_overlay(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y)
{
    if (units_.empty() || !shown_)
        return;
    const double left = static_cast<double>(left_x);
    const double top = static_cast<double>(top_y);
    const double size = scale.map_size;
    QPaintDevice* device = painter->device();
    const QRectF near_area = painter->worldTransform()
                                 .inverted()
                                 .mapRect(QRectF(0, 0, device->width(), device->height()))
                                 .adjusted(-8, -8, 8, 8);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);

    // Dots once a typical step between fixes is wide enough to see them apart.
    QPointF p;
    if (median_step_ * size >= dot_spacing) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour_);
        for (std::size_t i = 0; i < units_.size(); ++i)
            if (widget_point(units_[i], size, left, top, p) && near_area.contains(p)) {
                if (!fix_colours_.empty())
                    painter->setBrush(QColor::fromRgb(fix_colours_[i]));
                painter->drawEllipse(p, 2.0, 2.0);
            }
    }

    // First fix: a white ring; last: a white square, both edged in the track's colour.
    painter->setPen(QPen(colour_, 2));
    painter->setBrush(Qt::white);
    if (widget_point(units_.front(), size, left, top, p) && near_area.contains(p))
        painter->drawEllipse(p, 5.0, 5.0);
    if (units_.size() > 1 && widget_point(units_.back(), size, left, top, p) && near_area.contains(p))
        painter->drawRect(QRectF(p.x() - 4.5, p.y() - 4.5, 9, 9));

    const auto paint_fix = [&](const gps_event* fix, const QPen& pen, const QBrush& brush, double r) {
        if (!fix)
            return;
        const QPointF u(longitude_to_unit_x(fix->longitude), latitude_to_unit_y(fix->latitude));
        if (!widget_point(u, size, left, top, p))
            return;
        painter->setPen(pen);
        painter->setBrush(brush);
        painter->drawEllipse(p, r, r);
    };
    // From the burst view: a magenta disc, or a dashed ring for the nearest fix in time.
    const QColor magenta(255, 0, 255);
    if (marked_exact_)
        paint_fix(marked_, QPen(Qt::black, 1), magenta, 6);
    else
        paint_fix(marked_, QPen(magenta, 2, Qt::DashLine), Qt::NoBrush, 7);
    // Chosen on the map: a black ring around a white centre.
    paint_fix(selected_, QPen(Qt::black, 3), Qt::white, 6);
    paint_fix(selected_, Qt::NoPen, colour_, 3);
    painter->restore();
}

void event_space_layer::set_values(const std::vector<double>& values, const value_scale& scale)
{
    if (fix_colours_.empty() && (values.empty() || scale.empty()))
        return; // one colour before and after: the kept levels stay good
    fix_colours_.clear();
    if (values.size() == units_.size() && !scale.empty()) {
        fix_colours_.reserve(values.size());
        for (const double v : values) {
            if (scale.categories.empty())
                fix_colours_.push_back(colour_ramp::at(scale.position(v)));
            else if (v >= 0 && v < double(scale.categories.size()))
                fix_colours_.push_back(0xff000000u | scale.categories[std::size_t(v)].second);
            else
                fix_colours_.push_back(colour_ramp::at(std::nan(""))); // no behaviour: grey
        }
    }
    levels_.clear(); // their colours are those of the colouring before
}

const event_space_layer::level_track& event_space_layer::level_points(double map_size, double near_enough)
{
    for (auto it = levels_.begin(); it != levels_.end(); ++it) {
        if (it->map_size == map_size && it->near_enough == near_enough) {
            if (it != levels_.begin())
                levels_.splice(levels_.begin(), levels_, it);
            return levels_.front();
        }
    }
    if (levels_.size() >= kept_levels)
        levels_.pop_back();
    levels_.push_front(level_track{map_size, near_enough, {}, {}});
    std::vector<QPointF>& points = levels_.front().points;
    std::vector<QRgb>& colours = levels_.front().colours;
    const bool by_value = !fix_colours_.empty();

    // Fixes within near_enough of the last kept one are passed over: the line through them stays
    // within a pixel of the one drawn, and no sub-pixel zigzag is stroked. The last one passed over
    // before a kept fix or the end is not needed: the kept fix is drawn from the last kept one.
    bool pending = false; // `held`, a fix near the last kept one, is not kept yet
    QPointF held;
    QRgb held_colour = 0;
    for (std::size_t i = 0; i < units_.size(); ++i) {
        const QPointF& u = units_[i];
        const QPointF p(u.x() * map_size, u.y() * map_size);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            continue; // unreadable coordinates are skipped, as a path skips invalid points
        if (!points.empty() && std::abs(p.x() - points.back().x()) < near_enough &&
            std::abs(p.y() - points.back().y()) < near_enough) {
            held = p;
            if (by_value)
                held_colour = fix_colours_[i];
            pending = true;
            continue;
        }
        points.push_back(p);
        if (by_value)
            colours.push_back(fix_colours_[i]);
        pending = false;
    }
    if (pending) {
        points.push_back(held);
        if (by_value)
            colours.push_back(held_colour);
    }
    points.shrink_to_fit();
    colours.shrink_to_fit();
    return levels_.front();
}

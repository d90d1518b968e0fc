#include "tiles/basemap.h"

#include "tiles/basemap_shapes.h"
#include "tiles/tile_math.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

const QColor basemap::sea(170, 211, 223);
const QColor basemap::land(242, 239, 233);
const QColor basemap::coast(120, 150, 165);
const QColor basemap::border(160, 140, 160);
const QColor basemap::outside(224, 224, 224);

namespace {

constexpr int size = 256;
// The clip window reaches past the tile, so the edges a clip adds are never seen.
constexpr double pad = 4;

// Sutherland-Hodgman against one side of the window: keeps points with inside(p).
template <typename Inside, typename Cut>
void clip_side(const QPolygonF& in, QPolygonF& out, Inside inside, Cut cut)
{
    out.clear();
    if (in.isEmpty())
        return;
    QPointF prev = in.back();
    bool prev_in = inside(prev);
    for (const QPointF& p : in) {
        const bool p_in = inside(p);
        if (p_in != prev_in)
            out << cut(prev, p);
        if (p_in)
            out << p;
        prev = p;
        prev_in = p_in;
    }
}

// The ring clipped to the window lo ... hi on both axes.
QPolygonF clip_ring(const QPolygonF& ring, double lo, double hi)
{
    QPolygonF a = ring, b;
    const auto at_x = [](double x) {
        return [x](const QPointF& p, const QPointF& q) {
            return QPointF(x, p.y() + (q.y() - p.y()) * (x - p.x()) / (q.x() - p.x()));
        };
    };
    const auto at_y = [](double y) {
        return [y](const QPointF& p, const QPointF& q) {
            return QPointF(p.x() + (q.x() - p.x()) * (y - p.y()) / (q.y() - p.y()), y);
        };
    };
    clip_side(
        a, b, [lo](const QPointF& p) { return p.x() >= lo; }, at_x(lo));
    clip_side(
        b, a, [hi](const QPointF& p) { return p.x() <= hi; }, at_x(hi));
    clip_side(
        a, b, [lo](const QPointF& p) { return p.y() >= lo; }, at_y(lo));
    clip_side(
        b, a, [hi](const QPointF& p) { return p.y() <= hi; }, at_y(hi));
    return a;
}

// The part of segment p-q inside the window (Liang-Barsky); false when none.
bool clip_segment(QPointF& p, QPointF& q, double lo, double hi)
{
    double t0 = 0, t1 = 1;
    const double d[2] = {q.x() - p.x(), q.y() - p.y()};
    const double s[2] = {p.x(), p.y()};
    for (int axis = 0; axis < 2; ++axis) {
        const double pq[2][2] = {{-d[axis], s[axis] - lo}, {d[axis], hi - s[axis]}};
        for (const auto& e : pq) {
            if (e[0] == 0) {
                if (e[1] < 0)
                    return false;
                continue;
            }
            const double t = e[1] / e[0];
            if (e[0] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
        }
    }
    if (t0 > t1)
        return false;
    const QPointF a = p, b = q;
    p = a + (b - a) * t0;
    q = a + (b - a) * t1;
    return true;
}

// Whether two closed boxes meet (a border running due north has a box of no width).
bool meet(const QRectF& a, const QRectF& b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

} // namespace

basemap::basemap(const basemap_shapes* shapes, int held_tiles) : shapes_(shapes), held_(held_tiles) {}

const QPixmap& basemap::tile(int x, int y, int level)
{
    if (y < 0 || y >= (qint64(1) << level)) {
        if (outside_tile_.isNull()) {
            outside_tile_ = QPixmap(size, size);
            outside_tile_.fill(outside);
        }
        return outside_tile_;
    }
    const quint64 key = (quint64(level) << 58) | (quint64(quint32(x)) << 29) | quint64(quint32(y));
    if (QPixmap* held = held_.object(key))
        return *held;
    auto* pixmap = new QPixmap(QPixmap::fromImage(render(x, y, level)));
    held_.insert(key, pixmap);
    return *pixmap;
}

QImage basemap::render(int x, int y, int level) const
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(sea);
    const basemap_shapes::set& shapes = (shapes_ ? *shapes_ : basemap_shapes::shared()).at_level(level);
    const double scale = size * static_cast<double>(power_of_two(level));
    const double left = double(x) * size, top = double(y) * size;
    // The tile's window in Mercator units, padded.
    const QRectF window((left - pad) / scale, (top - pad) / scale, (size + 2 * pad) / scale,
                        (size + 2 * pad) / scale);
    const auto to_tile = [&](const QPointF& u) { return QPointF(u.x() * scale - left, u.y() * scale - top); };

    QPainterPath land_path;
    land_path.setFillRule(Qt::OddEvenFill);
    // A shape running on past the antimeridian is drawn again a world to the west or east.
    const auto shifts = [&](const QRectF& bounds) {
        std::vector<double> found;
        for (double shift : {0.0, -1.0, 1.0})
            if (meet(bounds.translated(shift, 0), window))
                found.push_back(shift);
        return found;
    };
    for (const basemap_shapes::shape& ring : shapes.rings) {
        for (double shift : shifts(ring.bounds)) {
            QPolygonF polygon;
            polygon.reserve(int(ring.points.size()));
            for (const QPointF& p : ring.points)
                polygon << to_tile(p + QPointF(shift, 0));
            polygon = clip_ring(polygon, -pad, size + pad);
            if (polygon.size() >= 3)
                land_path.addPolygon(polygon);
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(coast, 1));
    painter.setBrush(land);
    painter.drawPath(land_path);

    painter.setPen(QPen(border, 1, Qt::DashLine));
    for (const basemap_shapes::shape& line : shapes.lines) {
        for (double shift : shifts(line.bounds)) {
            // Runs of visible segments go as one polyline, so the dashes run on along them.
            QPolygonF run;
            const QPointF by(shift, 0);
            for (std::size_t i = 1; i < line.points.size(); ++i) {
                QPointF p = to_tile(line.points[i - 1] + by), q = to_tile(line.points[i] + by);
                const QPointF q_whole = q;
                if (!clip_segment(p, q, -pad, size + pad))
                    continue;
                if (run.isEmpty() || run.back() != p) {
                    if (run.size() >= 2)
                        painter.drawPolyline(run);
                    run.clear();
                    run << p;
                }
                run << q;
                if (q != q_whole) {
                    painter.drawPolyline(run);
                    run.clear();
                }
            }
            if (run.size() >= 2)
                painter.drawPolyline(run);
        }
    }
    return image;
}

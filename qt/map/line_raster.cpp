#include "map/line_raster.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// floor for values well inside the int range, without a library call.
inline int floor_int(double v)
{
    const int i = static_cast<int>(v);
    return i - (v < i);
}

} // namespace

void line_raster::begin(const QSize& size, const QColor& colour)
{
    if (image_.width() < size.width() || image_.height() < size.height()) {
        image_ = QImage(std::max(image_.width(), size.width()), std::max(image_.height(), size.height()),
                        QImage::Format_ARGB32_Premultiplied);
        image_.fill(0);
    }
    bits_ = image_.bits();
    stride_ = image_.bytesPerLine();
    size_ = size;
    colour_ = colour.rgb(); // opaque, so premultiplied as it is
    left_ = top_ = 0;
    right_ = bottom_ = -1;
}

QRect line_raster::touched() const
{
    return right_ < left_ ? QRect() : QRect(QPoint(left_, top_), QPoint(right_, bottom_));
}

inline void line_raster::set(int x, int y)
{
    if (x >= 0 && y >= 0 && x < size_.width() && y < size_.height())
        reinterpret_cast<QRgb*>(bits_ + y * stride_)[x] = colour_;
}

void line_raster::line(const QPointF& a, const QPointF& b)
{
    if (size_.isEmpty() || !std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) ||
        !std::isfinite(b.y()))
        return;
    // Clips the segment to the picture (Liang-Barsky): t runs from 0 at a to 1 at b.
    const double w = size_.width(), h = size_.height();
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    double t0 = 0, t1 = 1;
    const auto keep = [&](double p, double q) { // the part where p * t <= q
        if (p == 0)
            return q >= 0;
        const double t = q / p;
        if (p < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 <= t1;
    };
    if (!keep(-dx, a.x()) || !keep(dx, w - a.x()) || !keep(-dy, a.y()) || !keep(dy, h - a.y()))
        return;
    const QPointF p(a.x() + t0 * dx, a.y() + t0 * dy), q(a.x() + t1 * dx, a.y() + t1 * dy);
    // Every pixel set lies in the pixels of the clipped ends, widened by one against rounding.
    const auto grow = [](double lo, double hi, int limit, int& from, int& to) {
        from = std::max(0, floor_int(lo) - 1);
        to = std::min(limit - 1, floor_int(hi) + 1);
    };
    int x_from, x_to, y_from, y_to;
    grow(std::min(p.x(), q.x()), std::max(p.x(), q.x()), size_.width(), x_from, x_to);
    grow(std::min(p.y(), q.y()), std::max(p.y(), q.y()), size_.height(), y_from, y_to);
    if (right_ < left_) {
        left_ = x_from, right_ = x_to, top_ = y_from, bottom_ = y_to;
    } else {
        left_ = std::min(left_, x_from), right_ = std::max(right_, x_to);
        top_ = std::min(top_, y_from), bottom_ = std::max(bottom_, y_to);
    }

    if (t0 == 0)
        set(floor_int(a.x()), floor_int(a.y()));
    if (t1 == 1)
        set(floor_int(b.x()), floor_int(b.y()));

    if (dx == 0 && dy == 0)
        return;
    const bool steep = std::abs(dy) > std::abs(dx);
    // Along the major axis u, the minor coordinate v at the centre of every pixel between the ends.
    const double u0 = steep ? std::min(p.y(), q.y()) : std::min(p.x(), q.x());
    const double u1 = steep ? std::max(p.y(), q.y()) : std::max(p.x(), q.x());
    const QPointF& start = (steep ? p.y() <= q.y() : p.x() <= q.x()) ? p : q;
    const double slope = steep ? dx / dy : dy / dx;
    const double su = steep ? start.y() : start.x(), sv = steep ? start.x() : start.y();
    const int first = -floor_int(0.5 - u0), last = floor_int(u1 - 0.5);
    for (int i = first; i <= last; ++i) {
        const int v = floor_int(sv + (i + 0.5 - su) * slope);
        if (steep)
            set(v, i);
        else
            set(i, v);
    }
}

void line_raster::finish(QPainter& painter, const QPointF& top_left)
{
    const QRect drawn = touched();
    if (drawn.isEmpty())
        return;
    painter.drawImage(top_left + drawn.topLeft(), image_, drawn);
    for (int y = drawn.top(); y <= drawn.bottom(); ++y)
        std::memset(image_.scanLine(y) + std::size_t(drawn.left()) * 4, 0, std::size_t(drawn.width()) * 4);
    right_ = bottom_ = -1;
    left_ = top_ = 0;
}

#include "views/burst/burst_samples_plot.h"

#include "data/model/burst.h"
#include "views/burst/axis_ticks.h"
#include "views/burst/burst_axis.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int margin_left = 60;
constexpr int margin_right = 10;
constexpr int margin_top = 22;
constexpr int margin_bottom = 38;

const sample_axis& values_of(const burst& b, int a)
{
    return a == 0 ? b.x : a == 1 ? b.y : b.z;
}

} // namespace

burst_samples_plot::burst_samples_plot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(240, 160);
    setAutoFillBackground(false);
}

void burst_samples_plot::set_burst(const burst* b)
{
    burst_ = b;
    update();
}

void burst_samples_plot::set_calibration(const std::optional<burst_calibration>& calibration)
{
    calibration_ = calibration;
    update();
}

void burst_samples_plot::set_palette(const axis_palette& palette)
{
    palette_ = palette;
    update();
}

void burst_samples_plot::set_axes_shown(bool x, bool y, bool z)
{
    shown_[0] = x;
    shown_[1] = y;
    shown_[2] = z;
    update();
}

QSize burst_samples_plot::sizeHint() const
{
    return {480, 260};
}

QRect burst_samples_plot::plot_area(const QSize& size)
{
    return QRect(margin_left, margin_top, std::max(1, size.width() - margin_left - margin_right),
                 std::max(1, size.height() - margin_top - margin_bottom));
}

void burst_samples_plot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (burst_)
        paint(painter, rect(), *burst_, calibration_, palette_, shown_);
}

void burst_samples_plot::paint(QPainter& painter, const QRect& area, const burst& b,
                               const std::optional<burst_calibration>& calibration,
                               const axis_palette& palette, const bool shown[3])
{
    const QRect r = plot_area(area.size()).translated(area.topLeft());
    const qint32 n = std::max(0, b.sample_count);
    const double f = b.sampling_frequency_per_axis;
    const bool timed = f > 0 && std::isfinite(f);
    const double step = timed ? 1000.0 / f : 1.0; // x units per sample
    const double x_end = std::max(1.0, (n - 1) * step);

    auto value = [&](int a, float raw) {
        return calibration ? calibration->to_g(a, raw) : static_cast<double>(raw);
    };
    double lo = 0, hi = 0;
    bool any = false;
    for (int a = 0; a < 3; ++a) {
        if (!shown[a])
            continue;
        const sample_axis& v = values_of(b, a);
        for (qint32 k = 0; k < n; ++k) {
            const double g = value(a, v[static_cast<std::size_t>(k)]);
            if (!std::isfinite(g))
                continue;
            lo = any ? std::min(lo, g) : g;
            hi = any ? std::max(hi, g) : g;
            any = true;
        }
    }
    if (hi - lo <= 0) {
        // Past 2^53 a difference of 1 is lost: widen by a part of the value there.
        const double half = std::max(1.0, std::abs(lo) * 1e-6);
        lo -= half;
        hi += half;
    }
    const double pad = (hi - lo) * 0.05;
    lo -= pad;
    hi += pad;
    const double x_scale = (r.width() - 1) / x_end;
    const double y_scale = (r.height() - 1) / (hi - lo);
    auto px = [&](double x) { return r.left() + x * x_scale; };
    auto py = [&](double v) { return r.bottom() - (v - lo) * y_scale; };

    // Grid, ticks and labels.
    const QColor grid(225, 225, 225);
    const QColor text(0, 0, 0);
    const int th = painter.fontMetrics().height();
    for (const double v : axis_ticks(lo, hi, r.height(), 28)) {
        const int y = static_cast<int>(std::lround(py(v)));
        painter.setPen(grid);
        painter.drawLine(r.left(), y, r.right(), y);
        painter.setPen(text);
        painter.drawLine(r.left() - 4, y, r.left(), y);
        painter.drawText(QRect(area.left() + 16, y - th / 2, margin_left - 22, th),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    for (const double t : axis_ticks(0, x_end, r.width(), 64)) {
        const int x = static_cast<int>(std::lround(px(t)));
        painter.setPen(grid);
        painter.drawLine(x, r.top(), x, r.bottom());
        painter.setPen(text);
        painter.drawLine(x, r.bottom(), x, r.bottom() + 4);
        painter.drawText(QRect(x - 40, r.bottom() + 5, 80, th), Qt::AlignHCenter | Qt::AlignTop,
                         QString::number(t));
    }
    painter.setPen(text);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    painter.drawText(QRect(r.left(), r.bottom() + 5 + th, r.width(), th), Qt::AlignHCenter,
                     timed ? QObject::tr("time within the burst (ms)")
                           : QObject::tr("sample (no sampling rate)"));
    painter.save();
    painter.translate(area.left() + 12, r.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-r.height() / 2, -12, r.height(), 14), Qt::AlignCenter,
                     burst_axis::title(calibration.has_value()));
    painter.restore();

    // Legend above the plot.
    int lx = r.left();
    const char* const names[3] = {"X", "Y", "Z"};
    for (int a = 0; a < 3; ++a) {
        if (!shown[a])
            continue;
        painter.fillRect(lx, area.top() + 6, 10, 10, palette.of(a));
        painter.setPen(text);
        painter.drawText(QPoint(lx + 14, area.top() + 6 + 10), QString::fromLatin1(names[a]));
        lx += 40;
    }

    // Samples.
    painter.save();
    painter.setClipRect(r);
    const int columns = r.width();
    for (int a = 0; a < 3; ++a) {
        if (!shown[a] || n == 0)
            continue;
        painter.setPen(palette.of(a));
        const sample_axis& v = values_of(b, a);
        if (n > 2 * columns) {
            // Pixel column c holds the samples whose x falls in [c, c + 1).
            // Whole-pixel lines keep the raster engine on its fast path.
            std::vector<QLine> lines;
            lines.reserve(static_cast<std::size_t>(columns));
            qint32 k = 0;
            for (int c = 0; c < columns && k < n; ++c) {
                double cmin = value(a, v[static_cast<std::size_t>(k)]), cmax = cmin;
                for (; k < n && k * step * x_scale < c + 1; ++k) {
                    const double g = value(a, v[static_cast<std::size_t>(k)]);
                    cmin = std::min(cmin, g);
                    cmax = std::max(cmax, g);
                }
                lines.emplace_back(r.left() + c, static_cast<int>(std::lround(py(cmin))), r.left() + c,
                                   static_cast<int>(std::lround(py(cmax))));
            }
            painter.drawLines(lines.data(), static_cast<int>(lines.size()));
        } else {
            QPolygonF line;
            line.reserve(n);
            for (qint32 k = 0; k < n; ++k)
                line << QPointF(px(k * step), py(value(a, v[static_cast<std::size_t>(k)])));
            if (n == 1)
                painter.drawPoint(line.front());
            else
                painter.drawPolyline(line);
        }
    }
    painter.restore();
}

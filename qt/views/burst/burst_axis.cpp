#include "views/burst/burst_axis.h"

#include "views/burst/axis_ticks.h"
#include "views/burst/burst_paint_panel.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double raw_top = 4096;
constexpr int min_tick_gap = 28;
constexpr int title_width = 16;
constexpr int column_width = 44;
constexpr int tick_length = 5;

// The panel's row for raw value v: trunc(h - h * v / 4096).
int row_of(double v, int h)
{
    return static_cast<int>(std::trunc(h - h * v / raw_top));
}

} // namespace

burst_axis::burst_axis(const burst_paint_panel& panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(&panel_, &burst_paint_panel::layers_changed, this, &burst_axis::refresh);
}

std::vector<burst_axis::tick> burst_axis::ticks(int height,
                                                const std::optional<burst_calibration>& calibration, int axis)
{
    std::vector<tick> result;
    if (!calibration || axis < 0 || axis > 2) {
        for (const double v : axis_ticks(0, raw_top, height, min_tick_gap))
            result.push_back({row_of(v, height), QString::number(v)});
        return result;
    }
    const double a = calibration->to_g(axis, 0), b = calibration->to_g(axis, raw_top);
    for (const double g : axis_ticks(std::min(a, b), std::max(a, b), height, min_tick_gap))
        result.push_back({row_of(calibration->to_raw(axis, g), height), QString::number(g)});
    return result;
}

QString burst_axis::title(bool calibrated)
{
    return calibrated ? tr("acceleration (g)") : tr("raw units (not calibrated)");
}

int burst_axis::label_columns() const
{
    if (!panel_.calibration())
        return 1;
    int n = 0;
    for (int a = 0; a < 3; ++a)
        n += panel_.axis_shown(a) ? 1 : 0;
    return std::max(n, 1);
}

QSize burst_axis::sizeHint() const
{
    return {title_width + label_columns() * column_width, 100};
}

QSize burst_axis::minimumSizeHint() const
{
    return sizeHint();
}

void burst_axis::refresh()
{
    setFixedWidth(sizeHint().width());
    update();
}

void burst_axis::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int h = height();
    const std::optional<burst_calibration>& calibration = panel_.calibration();

    painter.save();
    painter.translate(12, h / 2);
    painter.rotate(-90);
    painter.drawText(QRect(-h / 2, -12, h, 14), Qt::AlignCenter, title(calibration.has_value()));
    painter.restore();

    std::vector<int> axes;
    if (calibration) {
        for (int a = 0; a < 3; ++a)
            if (panel_.axis_shown(a))
                axes.push_back(a);
    } else {
        axes.push_back(-1);
    }
    const int text_height = fontMetrics().height();
    int left = title_width;
    for (const int a : axes) {
        painter.setPen(a < 0 ? palette().color(QPalette::WindowText) : panel_.palette().of(a).darker(120));
        const int right = left + column_width - 1;
        for (const tick& t : ticks(h, calibration, a)) {
            painter.drawLine(right - tick_length, t.y, right, t.y);
            const int top = std::clamp(t.y - text_height / 2, 0, std::max(0, h - text_height));
            painter.drawText(QRect(left, top, column_width - tick_length - 3, text_height),
                             Qt::AlignRight | Qt::AlignVCenter, t.label);
        }
        left += column_width;
    }
}

#include "views/activity/activity_plot_view.h"

#include "data/rhythm/sun_schedule.h"

#include <QDate>
#include <QDateTime>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int legend_height = 56;
constexpr double min_bin_px = 0.25;

int px(double x)
{
    return static_cast<int>(std::floor(x));
}

} // namespace

activity_plot_view::activity_plot_view(QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void activity_plot_view::set_plot(const activity_calculator* calc, const activity_plot_options& options,
                                  const sun_schedule* sun)
{
    calc_ = calc;
    sun_ = sun;
    options_ = options;
    update_size();
}

void activity_plot_view::set_zoom(int zoom)
{
    zoom_ = std::max(zoom_fit, zoom);
    update_size();
}

int activity_plot_view::left_margin() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 12;
}

int activity_plot_view::columns() const
{
    return activity_bins_per_day * (options_.double_plot ? 2 : 1);
}

int activity_plot_view::rows() const
{
    return calc_ ? static_cast<int>(calc_->duration / activity_day_ms) : 0;
}

double activity_plot_view::bin_width_at(int w) const
{
    if (zoom_ != zoom_fit)
        return zoom_;
    return std::max(min_bin_px, double(w - left_margin() - right_margin) / columns());
}

int activity_plot_view::row_height_at(double bin_px)
{
    return static_cast<int>(std::lround(12 * bin_px)) + 4;
}

int activity_plot_view::rows_bottom(double bin_px) const
{
    return top_margin + rows() * row_height_at(bin_px);
}

int activity_plot_view::heightForWidth(int w) const
{
    return rows_bottom(bin_width_at(w)) + legend_height + behaviour_legend_height();
}

QSize activity_plot_view::sizeHint() const
{
    const double bin_px = zoom_ == zoom_fit ? 1.0 : zoom_;
    return QSize(left_margin() + right_margin + px(columns() * bin_px),
                 rows_bottom(bin_px) + legend_height + behaviour_legend_height());
}

QSize activity_plot_view::minimumSizeHint() const
{
    if (zoom_ == zoom_fit)
        return QSize(left_margin() + right_margin + px(columns() * min_bin_px), heightForWidth(0));
    return sizeHint();
}

void activity_plot_view::update_size()
{
    // At a fixed zoom the rows keep their size however wide the window is; the scroll area scrolls.
    if (zoom_ == zoom_fit)
        setMinimumSize(0, 0);
    else
        setMinimumSize(sizeHint());
    updateGeometry();
    update();
}

QRect activity_plot_view::bin_rect(int row, int column) const
{
    const double bin_px = bin_width_px();
    return bin_rect_at(left_margin(), bin_px, row_height_at(bin_px), row, column);
}

QRect activity_plot_view::bin_rect_at(int left, double bin_px, int rh, int row, int column)
{
    const int x0 = left + px(column * bin_px);
    const int x1 = std::max(x0 + 1, left + px((column + 1) * bin_px));
    return QRect(x0, top_margin + row * rh + 2, x1 - x0, rh - 3);
}

std::optional<qint64> activity_plot_view::time_at(const QPoint& pos) const
{
    if (!calc_)
        return std::nullopt;
    const double bin_px = bin_width_px();
    const int rh = row_height_at(bin_px);
    const int left = left_margin();
    const int x = pos.x() - left;
    if (x < 0 || pos.y() < top_margin)
        return std::nullopt;
    const int row = (pos.y() - top_margin) / rh;
    if (row >= rows())
        return std::nullopt;
    // The column whose drawn span [px(c * bin_px), px((c + 1) * bin_px)) holds x.
    int c = static_cast<int>(std::floor(x / bin_px));
    while (c > 0 && px(c * bin_px) > x)
        --c;
    while (px((c + 1) * bin_px) <= x)
        ++c;
    if (c >= columns())
        return std::nullopt;
    const qint64 k = qint64(row) * activity_bins_per_day + c;
    if (k >= calc_->bin_count)
        return std::nullopt;
    return calc_->plot_begin + k * calc_->bin_width;
}

void activity_plot_view::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        if (const auto t = time_at(event->pos()))
            emit time_clicked(*t);
    QWidget::mouseReleaseEvent(event);
}

int activity_plot_view::behaviour_legend_height() const
{
    return options_.behaviour_legend.empty() ? 0 : 22;
}

QRect activity_plot_view::legend_bar() const
{
    const double bin_px = bin_width_px();
    const int w =
        std::max(60, std::min(px(activity_bins_per_day * bin_px), width() - left_margin() - right_margin));
    return QRect(left_margin(), rows_bottom(bin_px) + 12, w, 12);
}

void activity_plot_view::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.fillRect(event->rect(), Qt::white);
    if (!calc_)
        return;
    const double bin_px = bin_width_px();
    const int rh = row_height_at(bin_px);
    const int left = left_margin();
    const int cols = columns();
    const int n_rows = rows();
    const int right = left + px(cols * bin_px);
    const int bottom = rows_bottom(bin_px);
    const QFontMetrics fm(font());
    const QColor light(192, 192, 192);
    const QColor dark(64, 64, 64);

    // Bins, each day also in the right half of the row before it when double-plotted.
    const bool shade = sun_ && options_.shade_night && !sun_->empty();
    for (qint64 k = 0; k < calc_->bin_count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int grey = activity_grey(calc_->activities[i], calc_->shade_scale);
        const bool night = shade && i < sun_->night().size() && sun_->night()[i];
        const qint32 rgb = i < options_.behaviour_rgb.size() ? options_.behaviour_rgb[i] : -1;
        if (grey == 255 && !night && rgb < 0)
            continue;
        const auto day = static_cast<int>(k / activity_bins_per_day);
        const auto c = static_cast<int>(k % activity_bins_per_day);
        const QColor colour = rgb >= 0 ? QColor(QRgb(rgb)) : activity_bin_colour(grey, night);
        p.fillRect(bin_rect_at(left, bin_px, rh, day, c), colour);
        if (options_.double_plot && day > 0)
            p.fillRect(bin_rect_at(left, bin_px, rh, day - 1, c + activity_bins_per_day), colour);
    }

    // Sunrise and sunset: a line down the row; a day without either, a line along its top.
    if (sun_ && options_.sun_times) {
        const int halves = options_.double_plot ? 2 : 1;
        const int thick = std::max(2, px(bin_px / 2));
        for (const activity_sun_mark& m : activity_sun_marks(*calc_, *sun_)) {
            const QColor colour = activity_sun_mark_colour(m.kind);
            const bool polar = m.kind == activity_sun_mark::polar_day || m.kind == activity_sun_mark::polar_night;
            for (int half = 0; half < halves; ++half) {
                const int r = static_cast<int>(m.row) - half;
                if (r < 0)
                    continue;
                const int shift = half * activity_bins_per_day;
                const QRect first = bin_rect_at(left, bin_px, rh, r, shift);
                if (polar) {
                    const QRect end = bin_rect_at(left, bin_px, rh, r, shift + activity_bins_per_day - 1);
                    p.fillRect(QRect(first.left(), first.top(), end.right() - first.left() + 1, 2), colour);
                } else {
                    const int x = left + px((shift + m.column) * bin_px) - thick / 2;
                    p.fillRect(QRect(x, first.top() - 1, thick, first.height() + 2), colour);
                }
            }
        }
    }

    // Row separators and the date of each row.
    QDate d = QDateTime::fromMSecsSinceEpoch(calc_->plot_begin + calc_->utc_offset, Qt::UTC).date();
    for (int r = 0; r <= n_rows; ++r) {
        const int y = top_margin + r * rh;
        p.setPen(light);
        p.drawLine(left, y, right, y);
        if (r == n_rows)
            break;
        p.setPen(Qt::black);
        const QRect label(0, y, left - 6, rh);
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, d.toString(Qt::ISODate));
        d = d.addDays(1);
    }

    // Hour grid and axis: a line every hour, darker and labelled every six hours.
    const int hours = cols / 10;
    for (int h = 0; h <= hours; ++h) {
        const int x = left + px(h * 10 * bin_px);
        const bool major = h % 6 == 0;
        p.setPen(major ? dark : light);
        p.drawLine(x, major ? top_margin - 6 : top_margin - 3, x, bottom);
        if (major) {
            p.setPen(Qt::black);
            const QString text = QString::number(h);
            const int tw = fm.horizontalAdvance(text);
            p.drawText(QPoint(x - tw / 2, top_margin - 9), text);
        }
    }

    // Legend: the shade of every activity from 0 to the largest.
    const QRect bar = legend_bar();
    const double max = calc_->shade_scale;
    for (int i = 0; i < bar.width(); ++i) {
        const double a = bar.width() > 1 ? max * i / (bar.width() - 1) : max;
        const int grey = activity_grey(a, max);
        p.setPen(QColor(grey, grey, grey));
        p.drawLine(bar.left() + i, bar.top(), bar.left() + i, bar.bottom());
    }
    p.setPen(dark);
    p.drawRect(bar.adjusted(-1, -1, 0, 0));
    p.setPen(Qt::black);
    p.drawText(QRect(0, bar.top() - 2, left - 6, bar.height() + 4), Qt::AlignRight | Qt::AlignVCenter,
               tr("activity"));
    const int label_y = bar.bottom() + 4 + fm.ascent();
    for (int q = 0; q <= 4; ++q) {
        const double v = max * q / 4;
        const QString text = QString::number(v, 'g', 4);
        const int x = bar.left() + px((bar.width() - 1) * q / 4.0);
        const int tw = fm.horizontalAdvance(text);
        p.drawText(QPoint(std::max(0, q == 4 ? x - tw : (q == 0 ? x : x - tw / 2)), label_y), text);
        if (max <= 0)
            break;
    }
    // The behaviours' colours in a line below.
    int x = bar.left();
    const int behaviour_y = label_y + 8;
    for (const auto& [name, rgb] : options_.behaviour_legend) {
        p.fillRect(QRect(x, behaviour_y, 10, 10), QColor(QRgb(rgb)));
        p.setPen(Qt::black);
        p.drawText(QPoint(x + 14, behaviour_y + 10), name);
        x += 14 + fm.horizontalAdvance(name) + 16;
    }
}

#include "views/metrics/vedba_strip.h"

#include "data/model/burst_space.h"
#include "views/burst/burst_view_state.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QRgb strip_background = qRgb(248, 248, 244);
const QRgb bar_colour = qRgb(70, 110, 160);

} // namespace

vedba_strip::vedba_strip(int bottom_margin) : bottom_margin_(bottom_margin)
{
}

void vedba_strip::set_values(const std::vector<burst_metrics>& metrics, const QString& unit)
{
    values_.clear();
    for (const burst_metrics& m : metrics)
        values_.push_back(std::isfinite(m.vedba) ? float(m.vedba) : 0.f);
    block_max_.assign((values_.size() + block - 1) / block, 0.f);
    for (std::size_t i = 0; i < values_.size(); ++i)
        block_max_[i / block] = std::max(block_max_[i / block], values_[i]);
    std::vector<float> sorted = values_;
    top_ = 0;
    if (!sorted.empty()) {
        const auto at = sorted.begin() + std::ptrdiff_t(double(sorted.size() - 1) * 0.995);
        std::nth_element(sorted.begin(), at, sorted.end());
        top_ = *at;
    }
    if (!(top_ > 0))
        top_ = 1;
    caption_ = QStringLiteral("VeDBA (%1), top %2").arg(unit, QString::number(top_, 'g', 3));
}

void vedba_strip::paint(QPainter& painter, const frame& f) const
{
    const int top = f.height - bottom_margin_ - height;
    if (top < 0 || f.width <= 0 || values_.size() != std::size_t(f.space.entry_count()))
        return;
    if (bars_.size() != QSize(f.width, height))
        bars_ = QImage(f.width, height, QImage::Format_RGB32);
    bars_.fill(strip_background);
    const qint32 total = f.space.total_sample_count();
    const int room = height - 2;
    const auto stride = bars_.bytesPerLine() / 4;
    auto* pixels = reinterpret_cast<QRgb*>(bars_.bits());
    // One walk from left to right over the bursts' first samples (whole blocks at once where they
    // fit in a column): no search per column.
    const std::vector<qint32>& firsts = f.space.first_samples();
    const qint32 count = f.space.entry_count();
    qint32 next = -1; // the first burst of the current column
    for (int x = 0; x < f.width; ++x) {
        const double from = f.left + x * f.per_pixel, to = from + f.per_pixel;
        if (to <= 0 || from >= total)
            continue;
        if (next < 0)
            next = std::max(0, f.space.burst_index_for_sample(std::max<qint32>(0, burst_view_state::position_at(from))));
        // Bursts starting before end lie (partly) in this column.
        const qint32 end = std::min<qint32>(total, burst_view_state::position_at(std::ceil(to)));
        float v = values_[std::size_t(next)];
        qint32 k = next + 1;
        while (k < count && firsts[std::size_t(k)] < end) {
            if (k % block == 0 && k + block <= count && firsts[std::size_t(k + block - 1)] < end) {
                v = std::max(v, block_max_[std::size_t(k / block)]);
                k += block;
            } else {
                v = std::max(v, values_[std::size_t(k)]);
                ++k;
            }
        }
        next = k - 1; // the last burst may reach into the next column
        const int h = std::min(room, int(std::lround(v / top_ * room)));
        for (int y = height - 1; y >= height - h; --y)
            pixels[y * stride + x] = bar_colour;
    }
    painter.drawImage(QPoint(0, top), bars_);
    painter.save();
    painter.setPen(QColor(90, 90, 90));
    painter.drawLine(0, top, f.width - 1, top);
    // On a box of its own, so that the bars never run through it.
    painter.fillRect(text_rect(f, painter.font()), QColor(strip_background));
    painter.setFont(caption_font(painter.font()));
    painter.drawText(QRect(4, top + 1, f.width - 8, height - 2), Qt::AlignLeft | Qt::AlignTop, caption_);
    painter.restore();
}

QFont vedba_strip::caption_font(const QFont& font)
{
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() * 0.8);
    return small;
}

QRect vedba_strip::text_rect(const frame& f, const QFont& font) const
{
    const int top = f.height - bottom_margin_ - height;
    if (top < 0 || f.width <= 0 || values_.size() != std::size_t(f.space.entry_count()))
        return QRect();
    const QFontMetrics fm(caption_font(font));
    return QRect(2, top + 1, std::min(fm.horizontalAdvance(caption_) + 4, f.width - 4),
                 std::min(fm.height() + 1, height - 2));
}

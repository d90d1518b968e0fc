#include "map/colour_bar.h"

#include "map/colour_ramp.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int padding = 5;

} // namespace

QSize colour_bar::size(const QFontMetrics& metrics, const value_scale& scale, const QString& title)
{
    if (!scale.categories.empty()) {
        int width = metrics.horizontalAdvance(title);
        for (const auto& category : scale.categories)
            width = std::max(width, bar_height + 6 + metrics.horizontalAdvance(category.first));
        return QSize(width + 2 * padding, int(scale.categories.size() + 1) * metrics.height() + 2 * padding);
    }
    const int ends = metrics.horizontalAdvance(scale.text(scale.low)) +
                     metrics.horizontalAdvance(scale.text(scale.high)) + 20;
    const int width = std::max({bar_width, ends, metrics.horizontalAdvance(title)}) + 2 * padding;
    return QSize(width, 2 * metrics.height() + bar_height + 2 * padding + 4);
}

void colour_bar::paint(QPainter& painter, const QPoint& bottom_left, const value_scale& scale,
                       const QString& title)
{
    const QFontMetrics metrics = painter.fontMetrics();
    const QSize s = size(metrics, scale, title);
    const QRect box(bottom_left.x(), bottom_left.y() - s.height(), s.width(), s.height());
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 210));
    painter.drawRect(box);
    const int inner = box.width() - 2 * padding;
    painter.setPen(Qt::black);
    painter.drawText(QRect(box.left() + padding, box.top() + padding, inner, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    if (!scale.categories.empty()) {
        // A swatch and the name of each category, one per line under the title.
        int y = box.top() + padding + metrics.height();
        for (const auto& [name, rgb] : scale.categories) {
            painter.fillRect(QRect(box.left() + padding, y + (metrics.height() - bar_height) / 2, bar_height,
                                   bar_height),
                             QColor::fromRgb(0xff000000u | rgb));
            painter.drawText(QRect(box.left() + padding + bar_height + 6, y, inner, metrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, name);
            y += metrics.height();
        }
        painter.restore();
        return;
    }
    QImage ramp(inner, 1, QImage::Format_RGB32);
    for (int x = 0; x < inner; ++x)
        ramp.setPixel(x, 0, colour_ramp::at(inner > 1 ? double(x) / (inner - 1) : 0.5));
    const QRect bar(box.left() + padding, box.top() + padding + metrics.height() + 2, inner, bar_height);
    painter.drawImage(bar, ramp);
    const QRect ends(box.left() + padding, bar.bottom() + 3, inner, metrics.height());
    painter.drawText(ends, Qt::AlignLeft | Qt::AlignVCenter, scale.text(scale.low));
    painter.drawText(ends, Qt::AlignRight | Qt::AlignVCenter, scale.text(scale.high));
    painter.restore();
}

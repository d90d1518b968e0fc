#include "views/activity/periodogram_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

periodogram_view::periodogram_view(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void periodogram_view::set_periodogram(const lomb_scargle& periodogram, const QString& text)
{
    data_ = periodogram;
    text_ = text;
    update();
}

void periodogram_view::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm(font());
    const QRect area = rect().adjusted(8, fm.height() + 4, -8, -fm.height() - 6);
    if (!text_.isEmpty() || data_.periods.size() < 2 || area.width() < 10 || area.height() < 10) {
        p.setPen(Qt::darkGray);
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text_);
        return;
    }
    const double lo = data_.periods.front(), hi = data_.periods.back();
    const double top = std::max(1e-12, *std::max_element(data_.powers.begin(), data_.powers.end()));
    const auto x_of = [&](double period) { return area.left() + (period - lo) / (hi - lo) * area.width(); };
    const auto y_of = [&](double power) { return area.bottom() - power / top * area.height(); };

    p.setPen(QColor(192, 192, 192));
    for (double h = 16; h <= 32; h += 4) {
        p.drawLine(QPointF(x_of(h), area.top()), QPointF(x_of(h), area.bottom()));
        p.setPen(Qt::black);
        const QString label = QString::number(h);
        p.drawText(QPointF(x_of(h) - fm.horizontalAdvance(label) / 2.0, area.bottom() + fm.ascent() + 3), label);
        p.setPen(QColor(192, 192, 192));
    }
    p.setPen(Qt::black);
    p.drawLine(area.bottomLeft(), area.bottomRight());

    QPainterPath curve;
    for (std::size_t i = 0; i < data_.periods.size(); ++i) {
        const QPointF pt(x_of(data_.periods[i]), y_of(data_.powers[i]));
        if (i == 0)
            curve.moveTo(pt);
        else
            curve.lineTo(pt);
    }
    p.setPen(QPen(QColor(30, 70, 200), 1.5));
    p.drawPath(curve);

    const QPointF peak(x_of(data_.best_period), y_of(data_.best_power));
    p.setPen(QPen(QColor(200, 40, 40), 1.5));
    p.drawEllipse(peak, 3, 3);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, width(), fm.height() + 2), Qt::AlignCenter,
               tr("Lomb–Scargle periodogram, period (h); peak %1 h").arg(data_.best_period, 0, 'f', 2));
}

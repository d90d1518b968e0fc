#include "views/activity/activity_plot.h"

#include "data/io/dornvale_version.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>

int activity_grey(double a, double max_activity)
{
    float w = 0;
    if (a > 0)
        w = std::min(1.0f, static_cast<float>(std::pow(a / max_activity, 0.3)));
    return static_cast<int>((1 - w) * 255);
}

namespace {

constexpr int plot_row = 16;

int plot_columns(const activity_plot_options& options)
{
    return activity_bins_per_day * (options.double_plot ? 2 : 1);
}

} // namespace

QSize activity_plot_size(const activity_calculator& calc, const activity_plot_options& options)
{
    const qint64 days = calc.duration / activity_day_ms;
    return QSize(plot_columns(options) + 272, static_cast<int>((days + 4) * plot_row));
}

void paint_activity_plot(QPainter& p, const activity_calculator& calc, const QString& file_name,
                         const activity_plot_options& options, const QDateTime& generated)
{
    const QSize size = activity_plot_size(calc, options);
    const int width = size.width();
    const int height = size.height();
    const int row = plot_row;
    p.setBackground(QBrush(Qt::white, Qt::SolidPattern));
    p.eraseRect(QRect(QPoint(0, 0), size));

    QString title = QStringLiteral("activity plot (Dornvale - " DORNVALE_VERSION ")");
    if (!options.is_default())
        title += QStringLiteral(" - ") + options.describe();
    p.drawText(QPoint(10, 16), title);
    p.drawText(QPoint(10, 32), QStringLiteral("file: ") + file_name);
    p.drawText(QPoint(10, 48), QStringLiteral("generated on: ") +
                                   generated.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss t")));

    qint64 t = 0;
    for (qint64 k = 0; k < calc.bin_count; ++k, t += calc.bin_width) {
        const int grey = activity_grey(calc.activities[static_cast<std::size_t>(k)], calc.shade_scale);
        const qint32 rgb = static_cast<std::size_t>(k) < options.behaviour_rgb.size()
                               ? options.behaviour_rgb[static_cast<std::size_t>(k)]
                               : -1;
        p.setPen(rgb >= 0 ? QColor(QRgb(rgb)) : QColor(grey, grey, grey));
        const auto day = static_cast<int>(t / activity_day_ms);
        const auto c = static_cast<int>((t / calc.bin_width) % activity_bins_per_day);
        p.drawLine(c, day * row + 78, c, day * row + 66);
        // Double-plotted, a day is also the right half of the row before it.
        if (options.double_plot && day > 0)
            p.drawLine(c + activity_bins_per_day, (day - 1) * row + 78, c + activity_bins_per_day,
                       (day - 1) * row + 66);
    }

    // The behaviours' legend: three to a column, right of the header's text.
    for (std::size_t i = 0; i < options.behaviour_legend.size(); ++i) {
        const QPoint at(260 + 110 * static_cast<int>(i / 3), 6 + 16 * static_cast<int>(i % 3));
        p.fillRect(QRect(at, QSize(10, 10)), QColor(QRgb(options.behaviour_legend[i].second)));
        p.setPen(Qt::black);
        p.drawText(at + QPoint(14, 10), options.behaviour_legend[i].first);
    }

    const QColor light(192, 192, 192);
    const QColor dark(64, 64, 64);

    const int label_x = plot_columns(options) + 10;
    QDate d = QDateTime::fromMSecsSinceEpoch(calc.plot_begin + calc.utc_offset, Qt::UTC).date();
    for (int r = 0; r < height / row; ++r) {
        p.setPen(light);
        p.drawLine(0, r * row + 80, width, r * row + 80);
        p.setPen(Qt::black);
        p.drawText(QPoint(label_x, r * row + 78), d.toString(Qt::ISODate));
        d = d.addDays(1);
    }

    const int hours = plot_columns(options) / 10;
    for (int m = 0; m <= hours; ++m) {
        const int x = 10 * m;
        p.setPen(m % 6 == 0 ? dark : light);
        p.drawLine(x, 64, x, height);
    }
}

QImage activity_plot_image(const activity_calculator& calc, const QString& file_name,
                           const activity_plot_options& options, const QDateTime& generated)
{
    if (calc.too_long)
        return QImage();
    QImage image(activity_plot_size(calc, options), QImage::Format_RGB888);
    if (image.isNull())
        return image; // out of memory: nothing to paint on
    QPainter p(&image);
    paint_activity_plot(p, calc, file_name, options, generated);
    p.end();
    return image;
}

QImage activity_plot_image(const burst_space& space, const QString& file_name)
{
    const activity_calculator calc(space);
    return activity_plot_image(calc, file_name, activity_plot_options());
}

QString activity_export_path(const QString& data_file, const QString& suffix)
{
    const QFileInfo info(data_file);
    return QDir(info.absolutePath())
        .filePath(info.completeBaseName() + QStringLiteral("-activity.") + suffix);
}

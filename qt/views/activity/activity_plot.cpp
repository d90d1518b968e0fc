#include "views/activity/activity_plot.h"

#include "data/io/dornvale_version.h"
#include "data/rhythm/sun_schedule.h"

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

QColor activity_bin_colour(int grey, bool night)
{
    if (!night)
        return QColor(grey, grey, grey);
    // A blue-grey veil: white becomes (196, 202, 224), black stays black.
    return QColor(grey * 196 / 255, grey * 202 / 255, grey * 224 / 255);
}

QColor activity_sun_mark_colour(activity_sun_mark::kind_t kind)
{
    switch (kind) {
    case activity_sun_mark::sunrise:
    case activity_sun_mark::polar_day:
        return QColor(255, 150, 0);
    case activity_sun_mark::sunset:
    case activity_sun_mark::polar_night:
        break;
    }
    return QColor(0, 140, 255);
}

std::vector<activity_sun_mark> activity_sun_marks(const activity_calculator& calc, const sun_schedule& sun)
{
    std::vector<activity_sun_mark> marks;
    const qint64 rows = calc.duration / activity_day_ms;
    const auto add = [&](activity_sun_mark::kind_t kind, qint64 t) {
        const double k = double(t - calc.plot_begin) / double(calc.bin_width);
        const auto row = static_cast<qint64>(std::floor(k / activity_bins_per_day));
        if (row >= 0 && row < rows)
            marks.push_back({kind, row, k - double(row) * activity_bins_per_day});
    };
    for (std::size_t d = 0; d < sun.days().size() && qint64(d) < rows; ++d) {
        const solar_position::sun_day& day = sun.days()[d];
        if (day.kind == solar_position::sun_day::rises_and_sets) {
            add(activity_sun_mark::sunrise, day.sunrise);
            add(activity_sun_mark::sunset, day.sunset);
        } else {
            marks.push_back({day.kind == solar_position::sun_day::polar_day ? activity_sun_mark::polar_day
                                                                             : activity_sun_mark::polar_night,
                             qint64(d), 0});
        }
    }
    return marks;
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
                         const activity_plot_options& options, const QDateTime& generated,
                         const sun_schedule* sun)
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

    const bool shade = sun && options.shade_night && !sun->empty();
    qint64 t = 0;
    for (qint64 k = 0; k < calc.bin_count; ++k, t += calc.bin_width) {
        const int grey = activity_grey(calc.activities[static_cast<std::size_t>(k)], calc.shade_scale);
        const bool night = shade && static_cast<std::size_t>(k) < sun->night().size() &&
                           sun->night()[static_cast<std::size_t>(k)];
        const qint32 rgb = static_cast<std::size_t>(k) < options.behaviour_rgb.size()
                               ? options.behaviour_rgb[static_cast<std::size_t>(k)]
                               : -1;
        p.setPen(rgb >= 0 ? QColor(QRgb(rgb)) : activity_bin_colour(grey, night));
        const auto day = static_cast<int>(t / activity_day_ms);
        const auto c = static_cast<int>((t / calc.bin_width) % activity_bins_per_day);
        p.drawLine(c, day * row + 78, c, day * row + 66);
        // Double-plotted, a day is also the right half of the row before it.
        if (options.double_plot && day > 0)
            p.drawLine(c + activity_bins_per_day, (day - 1) * row + 78, c + activity_bins_per_day,
                       (day - 1) * row + 66);
    }

    if (sun && options.sun_times) {
        // A sunrise or sunset is a line down the row; a day without either a line along its top.
        for (const activity_sun_mark& m : activity_sun_marks(calc, *sun)) {
            p.setPen(activity_sun_mark_colour(m.kind));
            const int y = static_cast<int>(m.row) * row + 66;
            const bool polar = m.kind == activity_sun_mark::polar_day || m.kind == activity_sun_mark::polar_night;
            const auto x = static_cast<int>(m.column);
            for (int half = 0; half < (options.double_plot ? 2 : 1); ++half) {
                const int r_shift = half == 0 ? 0 : -row;
                const int x_shift = half * activity_bins_per_day;
                if (half == 1 && m.row == 0)
                    continue;
                if (polar)
                    p.drawLine(x_shift, y + r_shift, x_shift + activity_bins_per_day - 1, y + r_shift);
                else // one pixel above and below the bins, so that it shows against dark ones
                    p.drawLine(x + x_shift, y + r_shift - 1, x + x_shift, y + r_shift + 13);
            }
        }
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
                           const activity_plot_options& options, const QDateTime& generated,
                           const sun_schedule* sun)
{
    if (calc.too_long)
        return QImage();
    QImage image(activity_plot_size(calc, options), QImage::Format_RGB888);
    if (image.isNull())
        return image; // out of memory: nothing to paint on
    QPainter p(&image);
    paint_activity_plot(p, calc, file_name, options, generated, sun);
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

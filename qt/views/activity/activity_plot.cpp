#include "views/activity/activity_plot.h"

#include "data/io/checked_commit.h"
#include "data/io/dornvale_version.h"
#include "data/rhythm/sun_schedule.h"

#include <QColor>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSaveFile>
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

constexpr int legend_column = 128;

int plot_columns(const activity_plot_options& options)
{
    return activity_bins_per_day * (options.double_plot ? 2 : 1);
}

// The behaviours' legend takes rows of its own under the header, so it never runs into the header's text.
int legend_rows(const activity_plot_options& options)
{
    const auto per_row = static_cast<std::size_t>((plot_columns(options) + 272 - 10) / legend_column);
    return static_cast<int>((options.behaviour_legend.size() + per_row - 1) / per_row);
}

} // namespace

QSize activity_plot_size(const activity_calculator& calc, const activity_plot_options& options)
{
    const qint64 days = calc.duration / activity_day_ms;
    return QSize(plot_columns(options) + 272, static_cast<int>((days + 4 + legend_rows(options)) * plot_row));
}

void paint_activity_plot(QPainter& p, const activity_calculator& calc, const QString& file_name,
                         const activity_plot_options& options, const QDateTime& generated,
                         const sun_schedule* sun)
{
    const QSize size = activity_plot_size(calc, options);
    const int width = size.width();
    const int height = size.height();
    const int row = plot_row;
    const int dy = legend_rows(options) * row; // the rows below the header move down by the legend
    p.setBackground(QBrush(Qt::white, Qt::SolidPattern));
    p.eraseRect(QRect(QPoint(0, 0), size));
    p.save();
    if (dy > 0) {
        // Three lines of 16 pixels: a font of the platform's choosing (larger in the batch) ran the
        // file name's underscore into the line below.
        QFont font = p.font();
        font.setPixelSize(12);
        p.setFont(font);
    }

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
        p.drawLine(c, day * row + 78 + dy, c, day * row + 66 + dy);
        // Double-plotted, a day is also the right half of the row before it.
        if (options.double_plot && day > 0)
            p.drawLine(c + activity_bins_per_day, (day - 1) * row + 78 + dy, c + activity_bins_per_day,
                       (day - 1) * row + 66 + dy);
    }

    if (sun && options.sun_times) {
        // A sunrise or sunset is a line down the row; a day without either a line along its top.
        for (const activity_sun_mark& m : activity_sun_marks(calc, *sun)) {
            p.setPen(activity_sun_mark_colour(m.kind));
            const int y = static_cast<int>(m.row) * row + 66 + dy;
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

    // The behaviours' legend: rows under the header.
    const int per_row = (width - 10) / legend_column;
    for (std::size_t i = 0; i < options.behaviour_legend.size(); ++i) {
        const int k = static_cast<int>(i);
        const QPoint at(10 + legend_column * (k % per_row), 56 + row * (k / per_row));
        p.fillRect(QRect(at, QSize(10, 10)), QColor(QRgb(options.behaviour_legend[i].second)));
        p.setPen(Qt::black);
        p.drawText(at + QPoint(14, 10), p.fontMetrics().elidedText(options.behaviour_legend[i].first,
                                                                   Qt::ElideRight, legend_column - 20));
    }

    const QColor light(192, 192, 192);
    const QColor dark(64, 64, 64);

    const int label_x = plot_columns(options) + 10;
    QDate d = QDateTime::fromMSecsSinceEpoch(calc.plot_begin + calc.utc_offset, Qt::UTC).date();
    for (int r = 0; r < (height - dy) / row; ++r) {
        p.setPen(light);
        p.drawLine(0, r * row + 80 + dy, width, r * row + 80 + dy);
        p.setPen(Qt::black);
        p.drawText(QPoint(label_x, r * row + 78 + dy), d.toString(Qt::ISODate));
        d = d.addDays(1);
    }

    const int hours = plot_columns(options) / 10;
    for (int m = 0; m <= hours; ++m) {
        const int x = 10 * m;
        p.setPen(m % 6 == 0 ? dark : light);
        p.drawLine(x, 64 + dy, x, height);
    }
    p.restore();
}

namespace {

// The figure of activity_figure_* laid out once as fills, lines and text in a 12-pixel font, so that
// painting (at any scale, to an image or a PDF) and the SVG text show the same figure.
class figure_shapes
{
public:
    figure_shapes(const activity_calculator& calc, const QString& title, const activity_plot_options& options,
                  const sun_schedule* sun);
    void paint(QPainter& p) const;
    QByteArray svg() const;

    QSize size_;
    QRect title_rect_;
    QRect legend_rect_;

private:
    struct shape
    {
        enum kind_t { fill, line, text } kind;
        QRect rect; // fill: the pixels; line: from top left to bottom right; text: its baseline's start
        QColor colour;
        QString words;
    };
    void fill(const QRect& r, const QColor& c) { shapes_.push_back({shape::fill, r, c, {}}); }
    void line(int x1, int y1, int x2, int y2, const QColor& c);
    // Text whose baseline starts at (x, y); returns its advance.
    int text(int x, int y, const QString& words);
    void add_legend(const activity_calculator& calc, const activity_plot_options& options, bool night,
                    bool sun_marks, int top, int width);

    QFont font_;
    std::vector<shape> shapes_;
};

constexpr int figure_margin = 10;
constexpr int figure_bin_px = 2;
constexpr int figure_row_px = 14;
const QColor figure_light(192, 192, 192);
const QColor figure_dark(64, 64, 64);

void figure_shapes::line(int x1, int y1, int x2, int y2, const QColor& c)
{
    shapes_.push_back({shape::line, QRect(QPoint(x1, y1), QPoint(x2, y2)), c, {}});
}

int figure_shapes::text(int x, int y, const QString& words)
{
    shapes_.push_back({shape::text, QRect(x, y, 1, 1), Qt::black, words});
    return QFontMetrics(font_).horizontalAdvance(words);
}

figure_shapes::figure_shapes(const activity_calculator& calc, const QString& title,
                             const activity_plot_options& options, const sun_schedule* sun)
{
    font_.setPixelSize(12); // the same on every screen and in the batch
    const QFontMetrics fm(font_);
    const int columns = activity_bins_per_day * (options.double_plot ? 2 : 1);
    const int rows = static_cast<int>(calc.duration / activity_day_ms);
    const int left = figure_margin + fm.horizontalAdvance(QStringLiteral("0000-00-00")) + 8;
    const int right = left + columns * figure_bin_px;

    title_rect_ = QRect(figure_margin, figure_margin, fm.horizontalAdvance(title), fm.height());
    text(figure_margin, figure_margin + fm.ascent(), title);
    const int axis_base = title_rect_.bottom() + 8 + fm.ascent();
    const int top = axis_base + fm.descent() + 4;
    const int bottom = top + rows * figure_row_px;

    // Hour grid under the bins, labelled every six hours.
    for (int h = 0; h <= columns / 10; ++h) {
        const int x = left + h * 10 * figure_bin_px;
        const bool major = h % 6 == 0;
        line(x, major ? top - 3 : top, x, bottom, major ? figure_dark : figure_light);
        if (major) {
            const QString label = QString::number(h);
            text(x - fm.horizontalAdvance(label) / 2, axis_base, label);
        }
    }
    // Rows: separator, date, bins (each day also right of the day before when double-plotted).
    QDate d = QDateTime::fromMSecsSinceEpoch(calc.plot_begin + calc.utc_offset, Qt::UTC).date();
    for (int r = 0; r <= rows; ++r) {
        line(left, top + r * figure_row_px, right, top + r * figure_row_px, figure_light);
        if (r < rows)
            text(figure_margin, top + r * figure_row_px + (figure_row_px + fm.ascent() - fm.descent()) / 2,
                 d.toString(Qt::ISODate));
        d = d.addDays(1);
    }
    const bool night = sun && options.shade_night && !sun->empty();
    for (qint64 k = 0; k < calc.bin_count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const int grey = activity_grey(calc.activities[i], calc.shade_scale);
        const bool dark_bin = night && i < sun->night().size() && sun->night()[i];
        const qint32 rgb = i < options.behaviour_rgb.size() ? options.behaviour_rgb[i] : -1;
        if (grey == 255 && !dark_bin && rgb < 0)
            continue;
        const QColor colour = rgb >= 0 ? QColor(QRgb(rgb)) : activity_bin_colour(grey, dark_bin);
        const auto day = static_cast<int>(k / activity_bins_per_day);
        const auto c = static_cast<int>(k % activity_bins_per_day);
        fill(QRect(left + c * figure_bin_px, top + day * figure_row_px + 1, figure_bin_px, figure_row_px - 1),
             colour);
        if (options.double_plot && day > 0)
            fill(QRect(left + (c + activity_bins_per_day) * figure_bin_px,
                       top + (day - 1) * figure_row_px + 1, figure_bin_px, figure_row_px - 1),
                 colour);
    }
    const bool sun_marks = sun && options.sun_times;
    if (sun_marks) {
        for (const activity_sun_mark& m : activity_sun_marks(calc, *sun)) {
            const bool polar =
                m.kind == activity_sun_mark::polar_day || m.kind == activity_sun_mark::polar_night;
            for (int half = 0; half < (options.double_plot ? 2 : 1); ++half) {
                const int r = static_cast<int>(m.row) - half;
                if (r < 0)
                    continue;
                const int x0 = left + half * activity_bins_per_day * figure_bin_px;
                const int y = top + r * figure_row_px + 1;
                if (polar)
                    fill(QRect(x0, y, activity_bins_per_day * figure_bin_px, 2),
                         activity_sun_mark_colour(m.kind));
                else
                    fill(QRect(x0 + static_cast<int>(m.column * figure_bin_px) - 1, y, 2, figure_row_px - 1),
                         activity_sun_mark_colour(m.kind));
            }
        }
    }
    add_legend(calc, options, night, sun_marks, bottom + 12,
               std::max(right, title_rect_.right()) + figure_margin);
    size_ = QSize(std::max({right, title_rect_.right() + 1, legend_rect_.right() + 1}) + figure_margin,
                  legend_rect_.bottom() + 1 + figure_margin);
}

void figure_shapes::add_legend(const activity_calculator& calc, const activity_plot_options& options,
                               bool night, bool sun_marks, int top, int width)
{
    const QFontMetrics fm(font_);
    const int line_height = fm.height() + 6;
    int x = figure_margin, y = top;
    legend_rect_ = QRect(figure_margin, top, 0, 0);
    // An entry: a swatch (or the grey bar) and its words, on the next line when the width is full.
    const auto entry = [&](const QColor& swatch, const QString& words, bool bar) {
        const int w =
            (bar ? 120 + 8 + fm.horizontalAdvance(QStringLiteral("0")) : 14) + fm.horizontalAdvance(words);
        if (x > figure_margin && x + w > width - figure_margin) {
            x = figure_margin;
            y += line_height;
        }
        const int mid = y + fm.height() / 2;
        if (bar) {
            const int words_w = text(x, y + fm.ascent(), words) + 6;
            const double max = calc.shade_scale;
            for (int i = 0; i < 120; ++i) {
                const int g = activity_grey(max > 0 ? max * i / 119 : 0, max);
                fill(QRect(x + words_w + i, mid - 5, 1, 10), QColor(g, g, g));
            }
            line(x + words_w - 1, mid - 6, x + words_w + 120, mid - 6, figure_dark);
            line(x + words_w - 1, mid + 5, x + words_w + 120, mid + 5, figure_dark);
            text(x + words_w + 124, y + fm.ascent(), QString::number(max, 'g', 4));
        } else {
            fill(QRect(x, mid - 5, 10, 10), swatch);
            text(x + 14, y + fm.ascent(), words);
        }
        legend_rect_ |= QRect(x, y, w, fm.height());
        x += w + 16;
    };
    if (options.behaviour_legend.empty())
        entry(QColor(), QStringLiteral("activity 0"), true);
    else
        for (const auto& [name, rgb] : options.behaviour_legend)
            entry(QColor(QRgb(rgb)), name, false);
    if (night)
        entry(activity_bin_colour(255, true), QStringLiteral("night"), false);
    if (sun_marks) {
        entry(activity_sun_mark_colour(activity_sun_mark::sunrise), QStringLiteral("sunrise"), false);
        entry(activity_sun_mark_colour(activity_sun_mark::sunset), QStringLiteral("sunset"), false);
    }
}

void figure_shapes::paint(QPainter& p) const
{
    p.save();
    p.fillRect(QRect(QPoint(0, 0), size_), Qt::white);
    p.setFont(font_);
    for (const shape& s : shapes_) {
        switch (s.kind) {
        case shape::fill:
            p.fillRect(s.rect, s.colour);
            break;
        case shape::line:
            p.setPen(s.colour);
            p.drawLine(s.rect.topLeft(), s.rect.bottomRight());
            break;
        case shape::text:
            p.setPen(s.colour);
            p.drawText(s.rect.topLeft(), s.words);
            break;
        }
    }
    p.restore();
}

QByteArray figure_shapes::svg() const
{
    QString out =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                       "viewBox=\"0 0 %1 %2\">\n<rect width=\"%1\" height=\"%2\" fill=\"#ffffff\"/>\n")
            .arg(size_.width())
            .arg(size_.height());
    const QString family = font_.family().toHtmlEscaped() + QStringLiteral(", sans-serif");
    for (const shape& s : shapes_) {
        const QString colour = s.colour.name();
        switch (s.kind) {
        case shape::fill:
            out += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"/>\n")
                       .arg(s.rect.x())
                       .arg(s.rect.y())
                       .arg(s.rect.width())
                       .arg(s.rect.height())
                       .arg(colour);
            break;
        case shape::line: // through the pixels' centres, as the painter's one-pixel pen
            out += QStringLiteral("<line x1=\"%1.5\" y1=\"%2.5\" x2=\"%3.5\" y2=\"%4.5\" stroke=\"%5\"/>\n")
                       .arg(s.rect.left())
                       .arg(s.rect.top())
                       .arg(s.rect.right())
                       .arg(s.rect.bottom())
                       .arg(colour);
            break;
        case shape::text:
            out += QStringLiteral(
                       "<text x=\"%1\" y=\"%2\" font-family=\"%3\" font-size=\"12\" fill=\"%4\">%5</text>\n")
                       .arg(s.rect.x())
                       .arg(s.rect.y())
                       .arg(family, colour, s.words.toHtmlEscaped());
            break;
        }
    }
    out += QStringLiteral("</svg>\n");
    return out.toUtf8();
}

} // namespace

QSize activity_figure_size(const activity_calculator& calc, const QString& title,
                           const activity_plot_options& options, const sun_schedule* sun)
{
    return figure_shapes(calc, title, options, sun).size_;
}

QRect activity_figure_title_rect(const activity_calculator& calc, const QString& title,
                                 const activity_plot_options& options, const sun_schedule* sun)
{
    return figure_shapes(calc, title, options, sun).title_rect_;
}

QRect activity_figure_legend_rect(const activity_calculator& calc, const QString& title,
                                  const activity_plot_options& options, const sun_schedule* sun)
{
    return figure_shapes(calc, title, options, sun).legend_rect_;
}

void paint_activity_figure(QPainter& p, const activity_calculator& calc, const QString& title,
                           const activity_plot_options& options, const sun_schedule* sun)
{
    figure_shapes(calc, title, options, sun).paint(p);
}

QString save_activity_figure(const QString& file, const QByteArray& format, int scale,
                             const activity_calculator& calc, const QString& title,
                             const activity_plot_options& options, const sun_schedule* sun)
{
    if (format != "png" && format != "svg" && format != "pdf")
        return QStringLiteral("the file name's suffix names no figure format (png, svg or pdf)");
    const figure_shapes figure(calc, title, options, sun);
    const QSize pixels = figure.size_ * scale;
    if (format == "png" && qint64(pixels.width()) * pixels.height() > activity_figure_png_limit)
        return activity_figure_png_refusal(pixels);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return out.errorString();
    if (format == "svg") {
        const QByteArray bytes = figure.svg();
        if (out.write(bytes) != bytes.size())
            return out.errorString();
    } else if (format == "pdf") {
        QPdfWriter pdf(&out);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(figure.size_), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("Dornvale"));
        QPainter p;
        if (!p.begin(&pdf))
            return QStringLiteral("the PDF could not be started");
        figure.paint(p);
    } else {
        QImage image(pixels, QImage::Format_RGB888);
        if (image.isNull())
            return QStringLiteral("not enough memory for the image");
        {
            QPainter p(&image);
            p.scale(scale, scale);
            figure.paint(p);
        }
        if (!image.save(&out, "png"))
            return QStringLiteral("the image could not be encoded");
    }
    return checked_commit(out);
}

QString activity_figure_png_refusal(const QSize& pixels)
{
    return QStringLiteral("a PNG of %1 × %2 pixels is too large; write SVG or PDF, or a smaller scale")
        .arg(pixels.width())
        .arg(pixels.height());
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

#pragma once

#include "data/model/activity_calculator.h"
#include "views/activity/activity_plot_options.h"

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <vector>

class QPainter;
class burst_space;
class sun_schedule;

// The longest span plotted, double-plotted, stays under 100 Mpixel.
static_assert(752 * (activity_max_days + 4) * 16 < 100000000, "the largest plot stays under 100 Mpixel");

// Grey level (0 black ... 255 white) of a bin of activity a when the largest activity is max.
int activity_grey(double a, double max_activity);

// The colour of a bin of grey level grey (activity_grey), tinted when it lies at night.
QColor activity_bin_colour(int grey, bool night);

// A mark of the sun in the rows of a plot: sunrise or sunset at a fractional bin column of a row, or
// a row's day spent wholly in daylight or darkness (column 0).
struct activity_sun_mark
{
    enum kind_t { sunrise, sunset, polar_day, polar_night };
    kind_t kind;
    qint64 row;    // day of the plot
    double column; // bins from the row's start, 0 ... 240
};
QColor activity_sun_mark_colour(activity_sun_mark::kind_t kind);

// The marks of sun over the rows of calc: each sunrise and sunset that falls within the plot, and
// each day without either.
std::vector<activity_sun_mark> activity_sun_marks(const activity_calculator& calc, const sun_schedule& sun);

// Size of the picture of calc: 512 pixels wide (752 double-plotted), 16 pixels per day plus four
// rows of header.
QSize activity_plot_size(const activity_calculator& calc, const activity_plot_options& options);

// Draws the picture of calc onto a white background of activity_plot_size: a three-line header
// naming file_name, the options when not the defaults and the time generated, one 16-pixel row per
// day (a one-pixel column per bin, darker for more activity), date labels and an hour grid. With
// sun (made for calc) the options' sun times and night shading are drawn; without, neither.
void paint_activity_plot(QPainter& p, const activity_calculator& calc, const QString& file_name,
                         const activity_plot_options& options, const QDateTime& generated,
                         const sun_schedule* sun = nullptr);

// The picture of calc as a 24-bit RGB image; a null image for a calculator too_long, or when memory
// for the image is lacking.
QImage activity_plot_image(const activity_calculator& calc, const QString& file_name,
                           const activity_plot_options& options,
                           const QDateTime& generated = QDateTime::currentDateTime(),
                           const sun_schedule* sun = nullptr);

// The actogram of a space with the default options. A space without bursts gives the header only; a
// span activity_plot_refusal names gives a null image.
QImage activity_plot_image(const burst_space& space, const QString& file_name);

// The activity plot as a figure for a report: title (a file name) at the top, an hour axis, a date left
// of each row, the bins as in the picture (behaviour colours, night shading and sun marks as the
// options ask and sun allows) and below them a legend of what is drawn. Laid out in a 12-pixel font
// whatever the platform's, so a PNG at any scale, an SVG and a PDF show the same figure.
QSize activity_figure_size(const activity_calculator& calc, const QString& title,
                           const activity_plot_options& options, const sun_schedule* sun = nullptr);
// Where the figure's title and its legend lie.
QRect activity_figure_title_rect(const activity_calculator& calc, const QString& title,
                                 const activity_plot_options& options, const sun_schedule* sun = nullptr);
QRect activity_figure_legend_rect(const activity_calculator& calc, const QString& title,
                                  const activity_plot_options& options, const sun_schedule* sun = nullptr);
// Draws the figure onto a canvas of activity_figure_size.
void paint_activity_figure(QPainter& p, const activity_calculator& calc, const QString& title,
                           const activity_plot_options& options, const sun_schedule* sun = nullptr);
// Writes the figure to file as format "png" (scale times its size), "svg" (its own SVG text: the
// batch has no SVG painter) or "pdf"; the file is replaced only once the whole figure is written.
// Empty on success, else the reason.
QString save_activity_figure(const QString& file, const QByteArray& format, int scale,
                             const activity_calculator& calc, const QString& title,
                             const activity_plot_options& options, const sun_schedule* sun = nullptr);

// A PNG of the figure stays within this many pixels; the reason one of pixels is refused.
constexpr qint64 activity_figure_png_limit = 100000000;
QString activity_figure_png_refusal(const QSize& pixels);

// Where an export of data_file's activity goes by default: beside it, named after it with
// "-activity." and suffix ("/data/1234_acc.txt", "csv" gives "/data/1234_acc-activity.csv").
QString activity_export_path(const QString& data_file, const QString& suffix);

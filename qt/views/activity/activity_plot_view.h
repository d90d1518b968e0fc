#pragma once

#include "views/activity/activity_plot.h"

#include <QRect>
#include <QWidget>

#include <optional>

// The actogram as the dialog shows it: an hour axis above the rows, a date left of each row and a
// legend of the grey shades below, at a zoom that fits the rows to the widget's width or draws each
// bin 2 or 4 pixels wide. The calculator is not owned and must outlive the view or be replaced.
class activity_plot_view : public QWidget
{
    Q_OBJECT

public:
    static constexpr int zoom_fit = 0; // any other zoom is the width of a bin in pixels

    explicit activity_plot_view(QWidget* parent = nullptr);

    // sun, made for calc, draws the options' sun times and night shading; not owned, like calc.
    void set_plot(const activity_calculator* calc, const activity_plot_options& options,
                  const sun_schedule* sun = nullptr);
    void set_zoom(int zoom);
    int zoom() const { return zoom_; }

    // Width of one bin in pixels at the widget's current width.
    double bin_width_px() const { return bin_width_at(width()); }
    int row_height() const { return row_height_at(bin_width_px()); }
    // Pixels of bin column c (0 ... 239, or 479 double-plotted) in row r of the rows area.
    QRect bin_rect(int row, int column) const;
    // The start (ms UTC) of the bin drawn at a point of the widget, the row's band included; none
    // outside the bins. A column in a double-plotted row's right half is a bin of the next day.
    std::optional<qint64> time_at(const QPoint& pos) const;
    // The grey bar of the legend; value v is drawn at x = left + v / max * (width - 1).
    QRect legend_bar() const;

    // Room for the dates left of the rows, in the widget's font.
    int left_margin() const;
    static constexpr int top_margin = 28;
    static constexpr int right_margin = 12;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int w) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A left click on a bin: the bin's start.
    void time_clicked(qint64 msecs_utc);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int columns() const;
    int rows() const;
    double bin_width_at(int w) const;
    static int row_height_at(double bin_px);
    static QRect bin_rect_at(int left, double bin_px, int rh, int row, int column);
    int rows_bottom(double bin_px) const;
    void update_size();

    const activity_calculator* calc_ = nullptr;
    const sun_schedule* sun_ = nullptr;
    activity_plot_options options_;
    int behaviour_legend_height() const; // the line of behaviour colours under the activity legend
    int zoom_ = zoom_fit;
};

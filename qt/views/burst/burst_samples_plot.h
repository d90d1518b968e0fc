#pragma once

#include "views/burst/axis_palette.h"
#include "data/metrics/burst_calibration.h"

#include <QWidget>

#include <optional>

class QPainter;
class burst;

// One burst's X, Y and Z samples against the time within the burst (ms), with both axes labelled,
// the units named and a legend. Values are raw, or in g under a calibration.
class burst_samples_plot : public QWidget
{
    Q_OBJECT

public:
    explicit burst_samples_plot(QWidget* parent);

    // b is not owned; nullptr shows an empty frame. It must outlive the plot or be replaced first.
    void set_burst(const burst* b);
    void set_calibration(const std::optional<burst_calibration>& calibration);
    void set_palette(const axis_palette& palette);
    void set_axes_shown(bool x, bool y, bool z);

    // Draws b into area. With more samples than twice the plot's width, each pixel column gets the
    // range of its samples (as the overview does); otherwise the samples are joined by lines.
    static void paint(QPainter& painter, const QRect& area, const burst& b,
                      const std::optional<burst_calibration>& calibration, const axis_palette& palette,
                      const bool shown[3]);

    // The plotting area inside a widget of the given size, after the room for labels.
    static QRect plot_area(const QSize& size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const burst* burst_ = nullptr;
    std::optional<burst_calibration> calibration_;
    axis_palette palette_ = axis_palette::standard();
    bool shown_[3] = {true, true, true};
};

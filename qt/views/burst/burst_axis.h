#pragma once

#include "data/metrics/burst_calibration.h"

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

class burst_paint_panel;

// The vertical axis beside a burst_paint_panel of the same height: the panel's fixed raw scale,
// 0 at the bottom and 4096 at the top, labelled in raw units, or in g per shown axis (one column
// each, in the axis colour) when the panel has a calibration.
class burst_axis : public QWidget
{
    Q_OBJECT

public:
    struct tick
    {
        int y;
        QString label;
    };

    // panel is not owned and must outlive the axis.
    burst_axis(const burst_paint_panel& panel, QWidget* parent);

    // Ticks over height pixels for raw values (axis < 0 or no calibration) or for the g values of
    // axis 0, 1 or 2 under calibration, at the rows where the panel draws those raw values.
    static std::vector<tick> ticks(int height, const std::optional<burst_calibration>& calibration, int axis);

    // The axis title: the units values are read in.
    static QString title(bool calibrated);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int label_columns() const;
    void refresh();

    const burst_paint_panel& panel_;
};

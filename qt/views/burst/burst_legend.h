#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QToolButton;
class burst_paint_panel;

// A strip naming the colours of a burst_paint_panel: X, Y and Z (clicking one shows or hides that
// axis, in step with the panel's context menu), the GPS tick, and the units the axis is read in.
class burst_legend : public QWidget
{
    Q_OBJECT

public:
    // panel is not owned and must outlive the legend.
    burst_legend(burst_paint_panel& panel, QWidget* parent);

    QToolButton* axis_button(int axis) const { return buttons_[axis]; }
    QString units_text() const;
    // What the legend says about units with or without a calibration.
    static QString units_text(bool calibrated);

private:
    void refresh();

    burst_paint_panel& panel_;
    QToolButton* buttons_[3];
    QLabel* units_;
};

#pragma once

#include "views/burst_view_state.h"
#include "views/drag_tracker.h"

#include <QImage>
#include <QWidget>

class QPainter;
class QStatusBar;
class burst_space;
class events_by_bursts_i;

// All bursts of one burst_space side by side as per-column X/Y/Z envelopes, with burst separators,
// a UTC time grid and ticks over bursts that have GPS fixes. Wheel zooms about the cursor, a left
// drag pans, hovering shows burst, sample and time in the status bar, a context menu toggles layers.
class burst_paint_panel : public QWidget
{
    Q_OBJECT

public:
    // space, events and status_bar are not owned and must outlive the panel.
    burst_paint_panel(const burst_space& space, const events_by_bursts_i& events, QStatusBar& status_bar,
                      QWidget* parent);
    ~burst_paint_panel() override;

    // Sample positions per pixel used by hover, zoom, drag and the time grid; 0 for a zero width.
    double positions_per_pixel() const;

public slots:
    void show_context_menu(const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

public:
    const burst_space& space;
    const events_by_bursts_i& events;
    QStatusBar& status_bar;
    drag_tracker tracker;
    burst_view_state view; // zoom and pan over the space's total_sample_count positions
    bool show_x;
    bool show_y;
    bool show_z;
    bool show_burst_grid;
    bool show_time_grid;

private:
    void paint(QPainter& painter, int w, int h);
    void paint_envelopes(QImage& image) const;
    void paint_time_grid(QPainter& painter, int w, int h) const;

    QImage canvas_; // envelope layer, kept between paints so a repaint allocates nothing
};

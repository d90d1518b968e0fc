#pragma once

#include "data/model/burst_extremes_tree.h"
#include "views/burst/axis_palette.h"
#include "data/metrics/burst_calibration.h"
#include "views/burst/burst_overlay.h"
#include "views/burst/burst_view_state.h"
#include "widgets/drag_tracker.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <vector>

class QPainter;
class QStatusBar;
class burst_space;
class events_by_bursts_i;

// All bursts of one burst_space side by side as per-column X/Y/Z envelopes, with burst separators,
// a UTC time grid and ticks over bursts that have GPS fixes. Wheel zooms about the cursor, a left
// drag pans, hovering shows burst, sample and time in the status bar, a context menu toggles layers.
// A click selects the burst under the cursor, which is marked over the picture; Shift+click and
// Shift+drag select the range from the selected burst. Ctrl+wheel zooms by factors of two about the
// centre. Overlays (burst_overlay) paint between the envelopes and the time grid.
class burst_paint_panel : public QWidget
{
    Q_OBJECT

public:
    // space, events and status_bar are not owned and must outlive the panel.
    burst_paint_panel(const burst_space& space, const events_by_bursts_i& events, QStatusBar& status_bar,
                      QWidget* parent);
    ~burst_paint_panel() override;

    // Colour of the ticks over bursts that have GPS fixes.
    static QColor gps_tick_colour();

    // Sample positions per pixel used by hover, zoom, drag and the time grid; 0 for a zero width.
    double positions_per_pixel() const;

    // The selected burst, -1 for none.
    qint32 selected_burst() const { return selected_; }
    // Selects burst index (-1 or an index outside the space clears the selection), marks it over the
    // picture and repaints; burst_selected follows when the selection changes.
    void set_selected_burst(qint32 index);
    // The selected range: first ... last, both -1 for none; a single selection is a range of one.
    qint32 selection_first() const { return std::min(anchor_, selected_); }
    qint32 selection_last() const { return std::max(anchor_, selected_); }
    // Selects the bursts from anchor to index (both inside the space) with index as the selected
    // burst, and repaints; range_selected follows when the range changes.
    void set_selected_range(qint32 anchor, qint32 index);

    // Paints overlay (not owned; removed before it dies) with the others, in the order added.
    void add_overlay(const burst_overlay* overlay);
    void remove_overlay(const burst_overlay* overlay);
    // The rectangles the time grid's labels take in a picture w by h: clear of the overlays' text.
    std::vector<QRect> time_grid_label_rects(int w, int h) const;

    // Moves the view so the middle of burst index lies at the centre; the zoom stays.
    void centre_on_burst(qint32 index);
    // Selects burst index and brings it to the centre at a readable zoom (burst_view_state::jump_to).
    void jump_to_burst(qint32 index);
    // The burst under pixel column x, -1 for none.
    qint32 burst_at_pixel(int x) const;
    // The burst under pixel column x, else the last one starting before it (the first one for
    // columns before every burst); -1 for an empty space.
    qint32 burst_nearest_pixel(int x) const;

    // Pans by a number of view widths (positive shows later samples) and repaints.
    void pan_views(double views);
    // Zooms by factor about the centre (below 1 zooms in) and repaints; refused beyond the limits.
    void zoom_about_centre(double factor);
    // The whole file across the width.
    void show_all();

    // Shows or hides axis 0, 1 or 2 (X, Y, Z) and repaints; layers_changed follows.
    void set_axis_shown(int axis, bool shown);
    bool axis_shown(int axis) const;

    const axis_palette& palette() const { return palette_; }
    void set_palette(const axis_palette& palette);

    // The hover read-out gives values in g with a calibration, raw values without.
    const std::optional<burst_calibration>& calibration() const { return calibration_; }
    void set_calibration(const std::optional<burst_calibration>& calibration);

signals:
    // The burst under the cursor changed; -1 when the cursor leaves the bursts or the panel.
    void burst_hovered(qint32 index);
    // The selection changed to index (-1 for none), by the user or by set_selected_burst.
    void burst_selected(qint32 index);
    // The selected range changed to first ... last (both -1 for none).
    void range_selected(qint32 first, qint32 last);
    // The user asked to look at burst index up close (double click, or Enter on the selection).
    void burst_activated(qint32 index);
    // A display flag (context menu, set_axis_shown), the palette or the calibration changed.
    void layers_changed();

public slots:
    void show_context_menu(const QPoint& pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
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
    // Columns 0 ... w - 2 of the image; column w - 1 is never drawn.
    void paint_envelopes(QImage& image, int w) const;
    void paint_time_grid(QPainter& painter, int w, int h) const;
    struct grid_label
    {
        int x; // of the line
        QString text;
        QRect rect;
    };
    // The time grid's lines and labels in a picture w by h, clear of keep_clear; none when unreadable.
    std::vector<grid_label> time_grid_labels(int w, int h, const std::vector<QRect>& keep_clear) const;
    std::vector<QRect> overlay_text_rects(int w, int h) const;
    void paint_selection(QPainter& painter, int w, int h) const;
    void set_hovered(qint32 index);

    burst_extremes_tree extremes_; // columns wider than every burst fold whole bursts through it
    QImage canvas_;                // envelope layer, kept between paints so a repaint allocates nothing
    axis_palette palette_ = axis_palette::standard();
    std::optional<burst_calibration> calibration_;
    qint32 selected_ = -1;
    qint32 anchor_ = -1; // the other end of the selected range
    bool range_drag_ = false; // a Shift+drag selects instead of panning
    std::vector<const burst_overlay*> overlays_;
    qint32 hovered_ = -1;
    QPoint press_pos_;
};

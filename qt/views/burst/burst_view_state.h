#pragma once

#include <QtGlobal>

#include <cmath>
#include <limits>

// The horizontal zoom and pan of the burst view, without a widget. The data holds sample positions
// begin ... end; the left edge shows begin + offset and span positions lie across the width W.
// Hover, zoom and drag use span / W positions per pixel (0 when W is 0). Neither pan nor zoom
// limits offset: the view may be moved past either end of the data.
class burst_view_state
{
public:
    // Zoom steps keep span strictly inside min_span ... max_span; steps that would leave it are
    // refused.
    static constexpr double min_span = 100;
    static constexpr double max_span = 1296000000;
    // A jump to a burst shows about this many bursts of its length across.
    static constexpr double jump_bursts_across = 50;
    // The first resize shows at most this many positions.
    static constexpr double first_span_limit = 604800000;

    // Data of total_positions positions from 0, all of them across the width until the first resize.
    explicit burst_view_state(double total_positions);

    double begin() const { return begin_; }
    double end() const { return end_; }
    double offset() const { return offset_; }
    double span() const { return span_; }
    double drag_start_offset() const { return drag_start_offset_; }
    // Sample position at the left edge.
    double left() const { return begin_ + offset_; }

    void set_offset(double offset) { offset_ = offset; }
    void set_span(double span) { span_ = span; }

    double positions_per_pixel(int width) const { return width == 0 ? 0 : span_ / width; }
    // Sample position under pixel column x, truncated toward zero and saturated like position_at.
    qint32 position_at_pixel(int x, int width) const;

    // Truncates a sample position toward zero; positions beyond the 32-bit range (a view panned far
    // past the data) saturate instead of overflowing, which keeps them outside the data.
    static qint32 position_at(double v)
    {
        constexpr double lo = std::numeric_limits<qint32>::min();
        constexpr double hi = std::numeric_limits<qint32>::max();
        if (!(v >= lo))
            return std::numeric_limits<qint32>::min();
        if (v >= hi)
            return std::numeric_limits<qint32>::max();
        return static_cast<qint32>(std::trunc(v));
    }

    // The width changed. From a positive width the positions per pixel stay; from none (the first
    // resize comes from -1) the whole data shows, at most first_span_limit positions.
    void resize(int old_width, int new_width);

    // Zooms about pixel column x, which keeps its position: span changes by steps tenths of itself
    // at once (not compounded), positive steps zoom out. False, with nothing changed, when the
    // result leaves the span limits or steps is 0.
    bool zoom_steps(int steps, int x, int width);
    // Multiplies span by factor keeping the position at the centre; false, with nothing changed,
    // when the result leaves the span limits as with zoom_steps.
    bool zoom_about_centre(double factor);

    // A jump to the burst at positions first ... first + count: its middle at the centre, and the span
    // jump_bursts_across times count (kept within min_span ... max_span), or the current span where
    // that is narrower.
    void jump_to(double first, double count);

    // The content follows the mouse: dx pixels to the right show trunc(dx * positions per pixel)
    // earlier positions.
    void pan_pixels(int dx, int width);
    // Moves by a number of view widths; positive shows later positions.
    void pan_views(double views);
    // Remembers offset; drag_by measures from there.
    void start_drag() { drag_start_offset_ = offset_; }
    // The view as at the drag start, panned by dx pixels.
    void drag_by(int dx, int width);
    // The whole data across the width.
    void show_all();

private:
    // A change by d to new_span: narrowing must stay above min_span, widening below max_span.
    static bool accepts(double d, double new_span);

    double begin_ = 0;
    double end_;
    double offset_ = 0;
    double span_;
    double drag_start_offset_ = 0;
};

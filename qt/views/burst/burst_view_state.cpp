#include "views/burst/burst_view_state.h"

#include <algorithm>

burst_view_state::burst_view_state(double total_positions) : end_(total_positions), span_(total_positions) {}

qint32 burst_view_state::position_at_pixel(int x, int width) const
{
    return position_at(x * positions_per_pixel(width) + (offset_ + begin_));
}

void burst_view_state::resize(int old_width, int new_width)
{
    if (old_width > 0)
        span_ += span_ / old_width * (new_width - old_width);
    else
        span_ = std::min(end_ - begin_, first_span_limit);
}

bool burst_view_state::accepts(double d, double new_span)
{
    return (d < 0 && new_span > min_span) || (d > 0 && new_span < max_span);
}

bool burst_view_state::zoom_steps(int steps, int x, int width)
{
    const double p = positions_per_pixel(width);
    const double anchor = offset_ + p * x;
    const double d = span_ * 0.1 * steps;
    if (accepts(d, span_ + d)) {
        span_ += d;
        offset_ = offset_ + steps * 0.1 * (offset_ - anchor);
        return true;
    }
    return false;
}

bool burst_view_state::zoom_about_centre(double factor)
{
    const double new_span = span_ * factor;
    if (!accepts(new_span - span_, new_span))
        return false;
    offset_ += (span_ - new_span) / 2;
    span_ = new_span;
    return true;
}

void burst_view_state::jump_to(double first, double count)
{
    span_ = std::min(span_, std::clamp(count * jump_bursts_across, min_span, max_span));
    offset_ = first + count / 2 - begin_ - span_ / 2;
}

void burst_view_state::pan_pixels(int dx, int width)
{
    offset_ -= std::trunc(positions_per_pixel(width) * dx);
}

void burst_view_state::pan_views(double views)
{
    offset_ += views * span_;
}

void burst_view_state::drag_by(int dx, int width)
{
    offset_ = drag_start_offset_;
    pan_pixels(dx, width);
}

void burst_view_state::show_all()
{
    offset_ = 0;
    span_ = end_ - begin_;
}

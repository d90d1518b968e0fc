#include "views/drag_handler_x_offset.h"

#include "views/burst_paint_panel.h"
#include "views/drag_tracker.h"
#include "data/trace.h"

#include <cmath>

drag_handler_x_offset::drag_handler_x_offset(burst_paint_panel* panel_) : panel(panel_) {}

void drag_handler_x_offset::start_drag(const drag_tracker&)
{
    trace::err("left start");
    panel->drag_start_offset = panel->offset;
}

void drag_handler_x_offset::drag(const drag_tracker& tracker)
{
    trace::err("left drag");
    const int dx = tracker.current.x() - tracker.press_position.x();
    const double p = panel->positions_per_pixel();
    panel->offset = panel->drag_start_offset - std::trunc(p * dx);
    panel->update();
}

#include "views/drag_handler_x_offset.h"

#include "views/burst_paint_panel.h"
#include "views/drag_tracker.h"

#include <cmath>
#include <iostream>

drag_handler_x_offset::drag_handler_x_offset(burst_paint_panel* panel_) : panel(panel_) {}

void drag_handler_x_offset::start_drag(const drag_tracker&)
{
    std::cerr << "left start" << std::endl;
    panel->drag_start_offset = panel->offset;
}

void drag_handler_x_offset::drag(const drag_tracker& tracker)
{
    std::cerr << "left drag" << std::endl;
    const int dx = tracker.current.x() - tracker.press_position.x();
    const double p = panel->positions_per_pixel();
    panel->offset = panel->drag_start_offset - std::trunc(p * dx);
    panel->update();
}

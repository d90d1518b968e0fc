#include "views/drag_handler_x_offset.h"

#include "views/burst_view_state.h"
#include "views/drag_tracker.h"

#include <QWidget>

#include <iostream>

drag_handler_x_offset::drag_handler_x_offset(burst_view_state* view_, QWidget* canvas_)
    : view(view_), canvas(canvas_)
{
}

void drag_handler_x_offset::start_drag(const drag_tracker&)
{
    std::cerr << "left start" << std::endl;
    view->start_drag();
}

void drag_handler_x_offset::drag(const drag_tracker& tracker)
{
    std::cerr << "left drag" << std::endl;
    view->drag_by(tracker.current.x() - tracker.press_position.x(), canvas->width());
    canvas->update();
}

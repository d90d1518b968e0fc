#include "views/burst/drag_handler_x_offset.h"

#include "views/burst/burst_view_state.h"
#include "widgets/drag_tracker.h"
#include "data/io/trace.h"

#include <QWidget>

drag_handler_x_offset::drag_handler_x_offset(burst_view_state* view_, QWidget* canvas_)
    : view(view_), canvas(canvas_)
{
}

void drag_handler_x_offset::start_drag(const drag_tracker&)
{
    trace::err("left start");
    view->start_drag();
}

void drag_handler_x_offset::drag(const drag_tracker& tracker)
{
    view->drag_by(tracker.current.x() - tracker.press_position.x(), canvas->width());
    canvas->update();
}

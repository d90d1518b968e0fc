#include "map/drag_handler_map.h"

#include "widgets/drag_tracker.h"
#include "map/zoom_state.h"
#include "data/io/trace.h"

#include <QWidget>

drag_handler_map::drag_handler_map(zoom_state* view_, QWidget* canvas_) : view(view_), canvas(canvas_) {}

void drag_handler_map::start_drag(const drag_tracker&)
{
    trace::err("left start");
    start_x = view->originX;
    start_y = view->originY;
}

void drag_handler_map::drag(const drag_tracker& tracker)
{
    view->originX = start_x - (qint64(tracker.current.x()) - tracker.press_position.x());
    view->originY = start_y - (qint64(tracker.current.y()) - tracker.press_position.y());
    canvas->update();
}

#include "map/drag_handler_map.h"

#include "views/drag_tracker.h"
#include "map/map_widget.h"
#include "data/trace.h"

drag_handler_map::drag_handler_map(map_widget* widget_) : widget(widget_) {}

void drag_handler_map::start_drag(const drag_tracker&)
{
    trace::err("left start");
    start_x = widget->view_.originX;
    start_y = widget->view_.originY;
}

void drag_handler_map::drag(const drag_tracker& tracker)
{
    trace::err("left drag");
    widget->view_.originX = start_x - (qint64(tracker.current.x()) - tracker.press_position.x());
    widget->view_.originY = start_y - (qint64(tracker.current.y()) - tracker.press_position.y());
    widget->update();
}

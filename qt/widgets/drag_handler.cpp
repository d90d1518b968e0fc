#include "widgets/drag_handler.h"
#include "data/io/trace.h"

#include <Qt>

int drag_handler_left::button() const
{
    return Qt::LeftButton;
}

void drag_handler_left::end_drag(const drag_tracker&)
{
    trace::err("left end");
}

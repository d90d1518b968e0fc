#include "views/drag_handler.h"

#include <Qt>

#include <iostream>

int drag_handler_left::button() const
{
    return Qt::LeftButton;
}

void drag_handler_left::end_drag(const drag_tracker&)
{
    std::cerr << "left end" << std::endl;
}

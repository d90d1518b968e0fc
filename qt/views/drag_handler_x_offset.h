#pragma once

#include "views/drag_handler.h"

class burst_paint_panel;

// Left-button pan of the burst view: the content follows the mouse.
class drag_handler_x_offset : public drag_handler_left
{
public:
    explicit drag_handler_x_offset(burst_paint_panel* panel);

    void start_drag(const drag_tracker& tracker) override;
    void drag(const drag_tracker& tracker) override;

private:
    burst_paint_panel* panel; // not owned; owns the tracker that owns this handler
};

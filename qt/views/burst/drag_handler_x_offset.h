#pragma once

#include "widgets/drag_handler.h"

class QWidget;
class burst_view_state;

// Left-button pan of the burst view: the content follows the mouse.
class drag_handler_x_offset : public drag_handler_left
{
public:
    // Pans view at the positions per pixel of canvas's width and repaints canvas; neither is
    // owned, both outlive the handler.
    drag_handler_x_offset(burst_view_state* view, QWidget* canvas);

    void start_drag(const drag_tracker& tracker) override;
    void drag(const drag_tracker& tracker) override;

private:
    burst_view_state* view;
    QWidget* canvas;
};

#pragma once

#include "widgets/drag_handler.h"

#include <QtGlobal>

class QWidget;
class zoom_state;

// Left-button pan of the map: the map follows the mouse; the origin is not limited.
class drag_handler_map : public drag_handler_left
{
public:
    // Moves view's origin and repaints canvas; neither is owned, both outlive the handler.
    drag_handler_map(zoom_state* view, QWidget* canvas);

    void start_drag(const drag_tracker& tracker) override;
    void drag(const drag_tracker& tracker) override;

private:
    zoom_state* view;
    QWidget* canvas;
    qint64 start_x = 0; // origin when the drag started
    qint64 start_y = 0;
};

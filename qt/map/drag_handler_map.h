#pragma once

#include "views/drag_handler.h"

#include <QtGlobal>

class map_widget;

// Left-button pan of the map: the map follows the mouse; the origin is not limited.
class drag_handler_map : public drag_handler_left
{
public:
    explicit drag_handler_map(map_widget* widget);

    void start_drag(const drag_tracker& tracker) override;
    void drag(const drag_tracker& tracker) override;

private:
    map_widget* widget; // not owned; owns the tracker that owns this handler
    qint64 start_x = 0; // origin when the drag started
    qint64 start_y = 0;
};

#include "widgets/drag_tracker.h"

#include "widgets/drag_handler.h"
#include "data/io/trace.h"

#include <QMouseEvent>

drag_tracker::~drag_tracker()
{
    active = nullptr;
    handlers.clear();
}

void drag_tracker::add_handler(drag_handler* handler)
{
    handlers.emplace_back(handler);
}

void drag_tracker::press(const QMouseEvent& event)
{
    if (pressed)
        return;
    pressed = true;
    dragging = false;
    button = static_cast<int>(event.button());
    current = press_position = event.pos();
}

void drag_tracker::move(const QMouseEvent& event)
{
    if (!pressed)
        return;
    current = event.pos();
    // No line per move: a drag would flood the terminal.
    if (dragging) {
        if (active)
            active->drag(*this);
        return;
    }
    dragging = true;
    trace::err("handle_drag_start");
    active = nullptr;
    for (const auto& handler : handlers) {
        if (handler->button() == button) {
            active = handler.get();
            break;
        }
    }
    if (active)
        active->start_drag(*this);
}

void drag_tracker::release(const QMouseEvent& event)
{
    if (!pressed)
        return;
    current = event.pos();
    if (dragging) {
        trace::err("handle_drag_end");
        if (active)
            active->end_drag(*this);
        active = nullptr;
    } else {
        trace::err("handle_click");
    }
    pressed = dragging = false;
}

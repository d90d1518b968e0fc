#pragma once

#include <QPoint>

#include <memory>
#include <vector>

class QMouseEvent;
class drag_handler;

// Press/move/release dispatcher: the first move after a press starts a drag with the first
// handler serving the pressed button; release ends it. Owns its handlers.
class drag_tracker
{
public:
    drag_tracker() = default;
    ~drag_tracker();
    drag_tracker(const drag_tracker&) = delete;
    drag_tracker& operator=(const drag_tracker&) = delete;

    void add_handler(drag_handler* handler);

    void press(const QMouseEvent& event);
    void move(const QMouseEvent& event);
    void release(const QMouseEvent& event);

    bool pressed = false;
    bool dragging = false;
    int button = 0;
    QPoint current;
    QPoint press_position;
    std::vector<std::unique_ptr<drag_handler>> handlers;
    drag_handler* active = nullptr;
};

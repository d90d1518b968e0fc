#pragma once

class drag_tracker;

// One mouse-drag strategy; the tracker picks the first handler whose button() matches the press.
class drag_handler
{
public:
    virtual ~drag_handler() = default;
    // Qt mouse button value this handler serves.
    virtual int button() const = 0;
    virtual void start_drag(const drag_tracker& tracker) = 0;
    virtual void drag(const drag_tracker& tracker) = 0;
    virtual void end_drag(const drag_tracker& tracker) = 0;
};

// Base of the left-button handlers of the burst view and the map, which share their end of drag.
class drag_handler_left : public drag_handler
{
public:
    int button() const override;
    void end_drag(const drag_tracker& tracker) override;
};

#pragma once

#include "map/layer.h"

#include <QPointF>

#include <list>
#include <vector>

class event_space;

// The track of one GPS file on the map: a thin "#2020ff" line through its fixes in file order,
// drawn once (not repeated in the world's copies east and west).
class event_space_layer : public layer
{
public:
    // events is not owned and must outlive the layer.
    explicit event_space_layer(const event_space* events);

    // Segments wholly outside the painted area are left out and runs of fixes within one device
    // pixel are joined, so the picture is that of the full path to within a pixel.
    void paint(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y) override;

    const event_space* events() const { return events_; }

private:
    const event_space* events_;
    // The fixes in Mercator units (0 ... 1 across the world), projected once: every paint of
    // every level only scales and shifts them.
    std::vector<QPointF> units_;
    std::vector<QPointF> run_; // scratch for one paint, kept so a repaint does not allocate

    // The track at one level in map pixels, runs of fixes within near_enough of each other joined:
    // built once per level, a pan only shifts it.
    struct level_track
    {
        double map_size;
        double near_enough;
        std::vector<QPointF> points;
    };
    static constexpr std::size_t kept_levels = 4;
    const std::vector<QPointF>& level_points(double map_size, double near_enough);
    std::list<level_track> levels_; // the most recently painted first
};

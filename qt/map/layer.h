#pragma once

#include "tiles/tile_math.h"

#include <QtGlobal>

class QPainter;

// A map overlay, painted by the map widget after its tiles.
class layer
{
public:
    virtual ~layer();
    // Draws the overlay; map pixel (mx, my) of the scale's level is at (mx - left_x, my - top_y).
    virtual void paint(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y) = 0;
    // Marks drawn after every layer's paint, so no other layer's lines cover them. None by default.
    virtual void paint_overlay(QPainter* painter, const map_scale& scale, qint64 left_x, qint64 top_y);
};

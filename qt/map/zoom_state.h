#pragma once

#include "tiles/tile_math.h"

#include <QtGlobal>

// The view state of one map widget: the level shown and the map pixel under the
// widget's centre. The origin is not clamped. Created at level 0 with origin (128, 128); the
// owning widget performs one step_up() at once, so a new map starts at level 1, origin (256, 256).
class zoom_state
{
public:
    qint32 minLevel = 0;
    qint32 maxLevel = 18;
    qint32 tileSize = 256;
    qint32 currentLevel = 0;
    qint64 originX = 128;
    qint64 originY = 128;

    // One level up: the origin doubles. At maxLevel: fatal("currentLevel >= maxLevel").
    void step_up();
    // One level down: the origin halves, truncating toward zero (-3 becomes -1).
    // At minLevel: fatal("currentLevel <= minLevel").
    void step_down();
    // Steps one level at a time until target is reached; a target outside minLevel ... maxLevel
    // ends the process through the step's check once the bound is reached.
    void go_to_level(qint32 target);

    // The constants of the current level.
    map_scale scale() const { return make_scale(currentLevel); }

    // Map pixel at the widget's left / top edge: origin minus half the widget's width / height
    // (the halves truncated).
    qint64 left_x(int width) const { return originX - width / 2; }
    qint64 top_y(int height) const { return originY - height / 2; }

    // Widget point (px, py) of a widget of the given size to map pixel, and back.
    map_pixel widget_to_map(qint64 px, qint64 py, int width, int height) const;
    map_pixel map_to_widget(qint64 mx, qint64 my, int width, int height) const;

    // Map pixel to tile column / row (true floor division by tileSize).
    qint64 column_of(qint64 mx) const { return floor_div(mx, tileSize); }
    qint64 row_of(qint64 my) const { return floor_div(my, tileSize); }

    // The tiles that a widget of this size paints, with the half-tile margin past the right and
    // bottom edges. Ask the tile source for (wrap_column(c, currentLevel), r, currentLevel).
    tile_range visible_tiles(int width, int height) const;
};

#include "map/zoom_state.h"

#include "data/io/fatal.h"

void zoom_state::step_up()
{
    if (currentLevel >= maxLevel)
        fatal("currentLevel >= maxLevel");
    ++currentLevel;
    originX *= 2;
    originY *= 2;
}

void zoom_state::step_down()
{
    if (currentLevel <= minLevel)
        fatal("currentLevel <= minLevel");
    --currentLevel;
    originX /= 2;
    originY /= 2;
}

void zoom_state::go_to_level(qint32 target)
{
    while (currentLevel != target) {
        if (currentLevel < target)
            step_up();
        else
            step_down();
    }
}

map_pixel zoom_state::widget_to_map(qint64 px, qint64 py, int width, int height) const
{
    return map_pixel{left_x(width) + px, top_y(height) + py};
}

map_pixel zoom_state::map_to_widget(qint64 mx, qint64 my, int width, int height) const
{
    return map_pixel{mx - left_x(width), my - top_y(height)};
}

tile_range zoom_state::visible_tiles(int width, int height) const
{
    const qint64 half_w = width / 2;
    const qint64 half_h = height / 2;
    tile_range range;
    range.tile_size = tileSize;
    range.left_x = originX - half_w;
    range.top_y = originY - half_h;
    range.c0 = floor_div(range.left_x, tileSize);
    range.r0 = floor_div(range.top_y, tileSize);
    range.c1 = floor_div(originX + half_w + tileSize / 2, tileSize);
    range.r1 = floor_div(originY + half_h + tileSize / 2, tileSize);
    return range;
}

#include "map/notice_place.h"

#include <algorithm>

namespace {

constexpr int margin = 6;
constexpr int min_width = 160;

} // namespace

QRect notice_place(const QSize& map, const QRect& legend, const QRect& colour_bar, int text_width,
                   const std::function<int(int)>& height_for_width)
{
    const int wanted = std::max(1, text_width);
    int top = margin;
    int room = (legend.isNull() ? map.width() : legend.left()) - 2 * margin;
    if (room < std::min(wanted, min_width)) {
        top = legend.bottom() + 1 + margin;
        room = map.width() - 2 * margin;
    }
    const int width = std::max(1, std::min(wanted, room));
    QRect place(margin, top, width, height_for_width(width));
    if (!colour_bar.isNull() && place.intersects(colour_bar))
        place.moveLeft(colour_bar.right() + 1 + margin);
    return place;
}

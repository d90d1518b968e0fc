#pragma once

#include <QRect>
#include <QSize>

#include <functional>

// Where the tile notice lies on a map of the given size: in the free top-left corner, as wide as its
// text (text_width) but no wider than the room left of the track legend, where it wraps
// (height_for_width gives its height at a width); under the legend when less than min_width is left
// beside it; right of the colour bar should it reach down that far. legend or colour_bar may be null.
QRect notice_place(const QSize& map, const QRect& legend, const QRect& colour_bar, int text_width,
                   const std::function<int(int)>& height_for_width);

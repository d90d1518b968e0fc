#include "views/burst/time_grid_label.h"

#include <algorithm>

QRect time_grid_label_rect(int x, int h, int text_width, int ascent, int descent,
                           const std::vector<QRect>& keep_clear)
{
    int start = h - 4;
    // Each lift passes one rectangle for good, so as many passes as rectangles end it.
    for (std::size_t pass = 0;; ++pass) {
        const QRect label(x + 12 - ascent, start - text_width, ascent + descent, text_width + 1);
        const auto hit = std::find_if(keep_clear.begin(), keep_clear.end(),
                                      [&](const QRect& r) { return r.intersects(label); });
        if (hit == keep_clear.end() || pass == keep_clear.size())
            return label;
        start = hit->top() - 2;
    }
}

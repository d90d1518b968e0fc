#pragma once

#include <QRect>

#include <vector>

// The pixels a time-grid label of text_width takes (a font of ascent and descent): written upwards,
// its baseline 12 pixels right of the grid line at x, starting 4 pixels above the bottom h; a label
// that would cross a rectangle of keep_clear starts just above it instead.
QRect time_grid_label_rect(int x, int h, int text_width, int ascent, int descent,
                           const std::vector<QRect>& keep_clear);

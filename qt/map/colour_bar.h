#pragma once

#include "data/tracks/value_scale.h"

#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

// The map's legend of a colouring by value: its title, the ramp as a bar, and the scale's ends under
// its two ends; for a scale with categories, a swatch and name per category instead of the ramp.
class colour_bar
{
public:
    // The panel's size for this scale and title in the painter's font.
    static QSize size(const QFontMetrics& metrics, const value_scale& scale, const QString& title);
    // Draws the panel with its bottom left corner at bottom_left.
    static void paint(QPainter& painter, const QPoint& bottom_left, const value_scale& scale,
                      const QString& title);

    static constexpr int bar_width = 160, bar_height = 10;
};

#pragma once

#include <QRect>
#include <QtGlobal>

class QFont;
class QPainter;
class burst_space;

// A layer painted over the burst view's envelopes and under its time grid, by a room the view does
// not know (the labels band, for one).
class burst_overlay
{
public:
    // Where the bursts lie in the picture being painted.
    struct frame
    {
        const burst_space& space;
        int width;
        int height;
        qint32 first; // the bursts in view: first ... last; last < first for none
        qint32 last;
        double left;      // sample position at pixel 0
        double per_pixel; // sample positions per pixel, > 0

        // Pixel column of sample position p, held far outside the picture for far positions.
        int x_at(double p) const;
    };

    virtual ~burst_overlay() = default;
    virtual void paint(QPainter& painter, const frame& f) const = 0;
    // Where the overlay writes text in the picture f, in the view's font: the time grid's lines and
    // labels keep clear of it. Null for none.
    virtual QRect text_rect(const frame& f, const QFont& font) const;
};

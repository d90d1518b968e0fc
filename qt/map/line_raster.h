#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>

class QPainter;

// One-pixel lines of one colour set straight into a transparent picture, then drawn over a painter
// in one blend: for the thousands of short segments of a track, where the painter's stroker
// spends most of its time on each pixel. The picture is kept between uses, so drawing allocates
// only when the size grows.
class line_raster
{
public:
    // Starts an empty picture of size pixels with lines in colour (alpha ignored: lines are opaque).
    void begin(const QSize& size, const QColor& colour);

    // The colour of the lines that follow (opaque).
    void set_colour(QRgb colour) { colour_ = colour; }

    // The segment a-b, clipped to the picture: along the longer axis, the pixel under the line at
    // each pixel centre between the ends, and the pixels holding a and b themselves. Coordinates
    // may lie far outside; only the part inside costs time. A segment with a NaN or infinite end
    // sets nothing.
    void line(const QPointF& a, const QPointF& b);

    // Draws the picture with its top left corner at top_left and leaves it empty again.
    void finish(QPainter& painter, const QPointF& top_left);

    // The pixels set since begin (empty: none).
    QRect touched() const;

private:
    void set(int x, int y);

    QImage image_;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    QSize size_;
    QRgb colour_ = 0;
    int left_ = 0, top_ = 0, right_ = -1, bottom_ = -1;
};

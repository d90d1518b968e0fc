#pragma once
// Reading line drawings: painted pixels, where a colour stands, and drawings compared on a white
// ground for tests of lines drawn in more than one way.

#include <QImage>
#include <QPair>

namespace test_support {

// Pixels of image that are not white.
inline int painted_pixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) != qRgb(255, 255, 255);
    return count;
}

// Painted pixels of a with no painted pixel of b at most reach pixels away (in x and y); a and b
// have the same size.
inline int pixels_without_neighbour(const QImage& a, const QImage& b, int reach)
{
    const QRgb white = qRgb(255, 255, 255);
    const int width = a.width(), height = a.height();
    int count = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (a.pixel(x, y) == white)
                continue;
            bool near = false;
            for (int dy = -reach; dy <= reach && !near; ++dy)
                for (int dx = -reach; dx <= reach && !near; ++dx)
                    near = x + dx >= 0 && x + dx < width && y + dy >= 0 && y + dy < height &&
                           b.pixel(x + dx, y + dy) != white;
            count += !near;
        }
    }
    return count;
}

// First and last row of a column in the colour; (-1, -1) if none.
inline QPair<int, int> rows_of(const QImage& image, int column, QRgb colour)
{
    int first = -1, last = -1;
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(column, y) == colour) {
            first = first < 0 ? y : first;
            last = y;
        }
    return {first, last};
}

} // namespace test_support

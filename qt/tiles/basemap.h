#pragma once

#include <QCache>
#include <QColor>
#include <QImage>
#include <QPixmap>

class basemap_shapes;

// The offline basemap as 256-pixel Web Mercator tiles: the sea, land with its coastline and the
// country borders of basemap_shapes, simplified for the level. A tile is rendered once and held
// (least recently used go first), so a repaint of a held view only draws pixmaps. GUI thread only.
class basemap
{
public:
    static const QColor sea;
    static const QColor land;
    static const QColor coast;
    static const QColor border;
    // Beyond the world's top and bottom edges.
    static const QColor outside;

    // shapes: not owned, must outlive this (by default the compiled-in Natural Earth data, loaded on
    // the first tile).
    explicit basemap(const basemap_shapes* shapes = nullptr, int held_tiles = 160);

    // The tile (x, y) at level, x already wrapped; rows outside the world are the outside colour.
    const QPixmap& tile(int x, int y, int level);

    // Renders the tile anew.
    QImage render(int x, int y, int level) const;

private:
    const basemap_shapes* shapes_;
    QCache<quint64, QPixmap> held_;
    QPixmap outside_tile_;
};

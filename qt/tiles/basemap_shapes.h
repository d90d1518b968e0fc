#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>
#include <vector>

// Natural Earth's 1:50m land rings and country borders (public domain, from the npm package
// world-atlas; scripts/make-basemap.py writes the resource), in Mercator units (0 ... 1 across the
// world, tile_math's longitude_to_unit_x and latitude_to_unit_y). Immutable once loaded; the
// simplified copies per level are made on first use, GUI thread only.
class basemap_shapes
{
public:
    struct shape
    {
        std::vector<QPointF> points; // Mercator units
        QRectF bounds;               // of the points
    };
    struct set
    {
        std::vector<shape> rings; // land; holes (lakes such as the Caspian) are rings too, even-odd
        std::vector<shape> lines; // borders between two countries
    };

    // Reads the compiled-in resource ":/basemap/natural_earth_50m.bin".
    static const basemap_shapes& shared();

    // Parses the file's bytes (the format written by scripts/make-basemap.py); error says why not.
    static std::unique_ptr<basemap_shapes> parse(const QByteArray& file, QString& error);

    // The shapes at level: points closer than two thirds of a pixel to the previous kept one are
    // left out, and rings smaller than a pixel dropped. Level 9 and above get the whole data.
    const set& at_level(int level) const;

    const set& whole() const { return whole_; }

private:
    static constexpr int simplified_levels = 9;
    set whole_;
    mutable std::array<std::unique_ptr<set>, simplified_levels> simplified_;
};

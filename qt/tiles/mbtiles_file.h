#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>

#include <memory>

// An MBTiles file opened read-only through SQLite (Qt's QSQLITE driver): raster PNG or JPEG tiles
// stored in TMS row order (row 0 in the south), the zoom range, bounds and attribution from its
// metadata table. GUI thread only.
class mbtiles_file
{
public:
    // Opens path; null with error saying, with the file's name, why it is refused: not an SQLite
    // database, damaged (no metadata or tiles table, unreadable), vector tiles, or no tiles at all.
    static std::unique_ptr<mbtiles_file> open(const QString& path, QString& error);
    ~mbtiles_file();

    mbtiles_file(const mbtiles_file&) = delete;
    mbtiles_file& operator=(const mbtiles_file&) = delete;

    const QString& path() const { return path_; }
    // The metadata's name, or the file's name without folder.
    const QString& name() const { return name_; }
    // The metadata's attribution as plain text (markup taken out); may be empty.
    const QString& attribution() const { return attribution_; }
    int min_level() const { return min_level_; }
    int max_level() const { return max_level_; }
    // West, south, east and north in degrees (the whole world when the metadata gives none).
    const QRectF& bounds() const { return bounds_; }

    // Whether tile (x, y) of level (y counted from the north, as the map counts) lies within the
    // zoom range and touches the bounds.
    bool covers(int x, int y, int level) const;
    // The stored bytes of tile (x, y) at level, y counted from the north (the file's row is
    // 2^level - 1 - y); empty when the file has no such tile or cannot be read.
    QByteArray tile_data(int x, int y, int level) const;

private:
    mbtiles_file() = default;

    QString connection_;
    QString path_;
    QString name_;
    QString attribution_;
    int min_level_ = 0;
    int max_level_ = 0;
    QRectF bounds_;
};

#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>

#include <chrono>
#include <memory>

struct sqlite3;

// An MBTiles file opened read-only through SQLite: raster PNG or JPEG tiles stored in TMS row order
// (row 0 in the south), the zoom range, bounds and attribution from its metadata table. The file is
// someone else's database, so it is never trusted: every query stops after a budget of steps (a view
// can be endless), metadata rows and value sizes are bounded, and a tile's size is read before its
// bytes. open() may run on any thread; the file is then used from one thread at a time.
class mbtiles_file
{
public:
    // SQLite virtual-machine steps the opening may take in all (a few thousand for an honest file),
    // and one tile's read; and seconds, as one step can cost milliseconds (making a large value).
    static constexpr qint64 open_steps = 20'000'000;
    static constexpr qint64 tile_steps = 2'000'000;
    static constexpr int open_seconds = 5;
    static constexpr int tile_seconds = 2;
    static constexpr int max_metadata_rows = 1000;

    // Opens path; null with error saying, with the file's name, why it is refused: not a regular
    // file, not an SQLite database, damaged (no metadata or tiles table, unreadable), too many
    // metadata rows, a table whose reading does not end within the step budget, vector tiles, or no
    // tiles at all.
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
    // 2^level - 1 - y); empty when the file has no such tile or cannot be read, then with refusal
    // (if given) saying why when the tile is refused: larger than an image may be, or its read ran
    // out of steps (after which the file is read no further).
    QByteArray tile_data(int x, int y, int level, QString* refusal = nullptr) const;

private:
    mbtiles_file() = default;
    // Starts the budget of the next query.
    void budget(qint64 steps, int seconds) const;
    // Whether the running query has spent its budget (SQLite's progress handler, which then stops it).
    bool spent() const;

    sqlite3* db_ = nullptr;
    // Progress-handler calls left to the running query, and when its time is up.
    mutable qint64 calls_left_ = 0;
    mutable std::chrono::steady_clock::time_point deadline_;
    mutable bool exhausted_ = false;
    QString path_;
    QString name_;
    QString attribution_;
    int min_level_ = 0;
    int max_level_ = 0;
    QRectF bounds_;
};

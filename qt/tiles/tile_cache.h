#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <string>

// Downloaded map tiles on disk: one file per tile, named by its tile_key
// ("column_row_level", no extension), directly in the cache directory base_dir/name. No index,
// no expiry, no size limit. GUI thread only.
class tile_cache
{
public:
    // Copies both values, logs "base_dir: ", creates the cache directory with missing parents
    // when absent (logging "cannot create directory: " when that fails, and carrying on) and
    // logs "path: ".
    tile_cache(const QDir& base_dir, const QString& name);

    // base_dir's absolute path, the directory separator and the name; recomputed on every call.
    QString cache_dir() const;

    // Absolute path of a cache file.
    QString file_path(const std::string& file_name) const;

    // Whether the file is present in the cache directory.
    bool exists(const std::string& file_name) const;

    // The whole file; an empty array when it cannot be opened.
    QByteArray read(const std::string& file_name) const;

    // Creates or replaces the file with exactly these bytes, atomically: the bytes go to a
    // temporary file in the cache directory, which is then renamed over the file. A failed or
    // interrupted write leaves the previous file (or none), never a partial one. Returns whether
    // the file was written; callers may ignore it.
    bool write(const std::string& file_name, const QByteArray& data) const;

    // Deletes the file; false when there was none or it could not be deleted.
    bool remove(const std::string& file_name) const;

private:
    QDir base_dir;
    QString name;
};

#include "tiles/tile_cache.h"

#include "data/io/checked_commit.h"
#include "data/io/trace.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

tile_cache::tile_cache(const QDir& base_dir, const QString& name) : base_dir(base_dir), name(name)
{
    trace_debug() << "base_dir: " << this->base_dir;
    const QString path = cache_dir();
    QDir dir(path);
    if (!dir.exists()) {
        if (!dir.mkpath(dir.absolutePath()))
            trace_debug() << "cannot create directory: " << path;
    }
    trace_debug() << "path: " << path;
}

QString tile_cache::cache_dir() const
{
    return base_dir.absolutePath() + QDir::separator() + name;
}

QString tile_cache::file_path(const std::string& file_name) const
{
    return QDir(cache_dir()).absoluteFilePath(QString::fromStdString(file_name));
}

bool tile_cache::exists(const std::string& file_name) const
{
    return QFileInfo::exists(file_path(file_name));
}

QByteArray tile_cache::read(const std::string& file_name) const
{
    QFile file(file_path(file_name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray data = file.readAll();
    file.close();
    return data;
}

bool tile_cache::write(const std::string& file_name, const QByteArray& data) const
{
    // QSaveFile writes to a temporary file beside the target and renames it over the target on
    // commit; the direct-write fallback stays off, so the target is never written in place.
    return checked_save(file_path(file_name), data).isEmpty();
}

bool tile_cache::remove(const std::string& file_name) const
{
    return QFile::remove(file_path(file_name));
}

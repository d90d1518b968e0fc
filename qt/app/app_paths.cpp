#include "app/app_paths.h"
#include "data/io/trace.h"

#include <QStandardPaths>

QString app_paths::data_location()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::DataLocation);
    trace_debug() << "data_location: " << location;
    if (location.isEmpty())
        trace_debug() << "QStandardPaths::writableLocation( QStandardPaths::DataLocation ) not available";
    return location;
}

QDir app_paths::prepare_tiles_dir(const QString& data_location)
{
    const QString path = data_location + "/tiles";
    QDir tiles_dir(path);
    if (!tiles_dir.exists()) {
        if (!tiles_dir.mkpath(tiles_dir.absolutePath()))
            trace_debug() << "Can not create " << path;
    }
    trace_debug() << "tiles_dir: " << tiles_dir;
    return tiles_dir;
}

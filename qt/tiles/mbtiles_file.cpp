#include "tiles/mbtiles_file.h"

#include "tiles/tile_math.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextDocumentFragment>
#include <QVariant>

#include <atomic>
#include <cmath>
#include <map>

namespace {

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// Bytes that start a gzip stream or a bare protocol-buffer tile rather than PNG or JPEG.
bool looks_vector(const QByteArray& data)
{
    return data.startsWith("\x1f\x8b") || (!data.startsWith("\x89PNG") && !data.startsWith("\xff\xd8") &&
                                           !data.isEmpty() && (data[0] == 0x1a || data[0] == 0x12));
}

} // namespace

std::unique_ptr<mbtiles_file> mbtiles_file::open(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error =
            QObject::tr("The map tiles file %1 could not be read: %2.").arg(quoted(path), file.errorString());
        return nullptr;
    }
    if (file.read(16) != QByteArray("SQLite format 3\0", 16)) {
        error = QObject::tr("The map tiles file %1 is not an SQLite database, so it is no MBTiles file.")
                    .arg(quoted(path));
        return nullptr;
    }
    file.close();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        error =
            QObject::tr("The map tiles file %1 could not be read: Qt's SQLite driver (QSQLITE) is missing.")
                .arg(quoted(path));
        return nullptr;
    }

    static std::atomic_int opened{0};
    std::unique_ptr<mbtiles_file> tiles(new mbtiles_file);
    tiles->path_ = path;
    tiles->connection_ = QStringLiteral("mbtiles-%1").arg(++opened);
    const auto damaged = [&](const QString& why) {
        error = QObject::tr("The map tiles file %1 is damaged: %2.").arg(quoted(path), why);
        return nullptr;
    };
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), tiles->connection_);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            return damaged(db.lastError().text());
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("SELECT name, value FROM metadata")))
            return damaged(QObject::tr("no metadata table (%1)").arg(query.lastError().text()));
        std::map<QString, QString> meta;
        while (query.next())
            meta[query.value(0).toString().trimmed().toLower()] = query.value(1).toString().trimmed();
        if (!query.exec(QStringLiteral("SELECT MIN(zoom_level), MAX(zoom_level) FROM tiles")) ||
            !query.next())
            return damaged(QObject::tr("no tiles table (%1)").arg(query.lastError().text()));
        if (query.value(1).isNull()) {
            error = QObject::tr("The map tiles file %1 holds no tiles.").arg(quoted(path));
            return nullptr;
        }
        tiles->min_level_ = query.value(0).toInt();
        tiles->max_level_ = query.value(1).toInt();
        QByteArray first;
        if (query.exec(QStringLiteral("SELECT tile_data FROM tiles LIMIT 1")) && query.next())
            first = query.value(0).toByteArray();
        const QString format = meta[QStringLiteral("format")].toLower();
        if (format == QLatin1String("pbf") || format == QLatin1String("mvt") ||
            (format.isEmpty() && looks_vector(first))) {
            error = QObject::tr("The map tiles file %1 holds vector tiles: vector tiles are not supported.")
                        .arg(quoted(path));
            return nullptr;
        }
        bool ok_min = false, ok_max = false;
        const int min_level = meta[QStringLiteral("minzoom")].toInt(&ok_min);
        const int max_level = meta[QStringLiteral("maxzoom")].toInt(&ok_max);
        if (ok_min && ok_max && min_level <= max_level) {
            tiles->min_level_ = min_level;
            tiles->max_level_ = max_level;
        }
        tiles->bounds_ = QRectF(QPointF(-180, -max_map_latitude), QPointF(180, max_map_latitude));
        const QStringList b = meta[QStringLiteral("bounds")].split(QLatin1Char(','));
        if (b.size() == 4) {
            double v[4];
            bool all = true;
            for (int i = 0; i < 4; ++i) {
                bool ok = false;
                v[i] = b[i].trimmed().toDouble(&ok);
                all = all && ok && std::isfinite(v[i]);
            }
            if (all && v[0] < v[2] && v[1] < v[3])
                tiles->bounds_ = QRectF(QPointF(v[0], v[1]), QPointF(v[2], v[3]));
        }
        tiles->name_ = meta[QStringLiteral("name")];
        if (tiles->name_.isEmpty())
            tiles->name_ = QFileInfo(path).fileName();
        tiles->attribution_ =
            QTextDocumentFragment::fromHtml(meta[QStringLiteral("attribution")]).toPlainText();
    }
    return tiles;
}

mbtiles_file::~mbtiles_file()
{
    if (!connection_.isEmpty())
        QSqlDatabase::removeDatabase(connection_);
}

bool mbtiles_file::covers(int x, int y, int level) const
{
    if (level < min_level_ || level > max_level_)
        return false;
    const double n = static_cast<double>(power_of_two(level));
    // The tile's box in Mercator units against the bounds' box.
    const double west = longitude_to_unit_x(bounds_.left()), east = longitude_to_unit_x(bounds_.right());
    const double north = latitude_to_unit_y(bounds_.bottom()), south = latitude_to_unit_y(bounds_.top());
    return x / n <= east && (x + 1) / n >= west && y / n <= south && (y + 1) / n >= north;
}

QByteArray mbtiles_file::tile_data(int x, int y, int level) const
{
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(QStringLiteral(
        "SELECT tile_data FROM tiles WHERE zoom_level = ? AND tile_column = ? AND tile_row = ?"));
    query.addBindValue(level);
    query.addBindValue(x);
    query.addBindValue(static_cast<qint64>((qint64(1) << level) - 1 - y));
    if (!query.exec() || !query.next())
        return QByteArray();
    return query.value(0).toByteArray();
}

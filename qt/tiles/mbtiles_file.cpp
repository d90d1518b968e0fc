#include "tiles/mbtiles_file.h"

#include "data/io/sidecar_file.h"
#include "tiles/tile_image_check.h"
#include "tiles/tile_math.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextDocumentFragment>

#include <sqlite3.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

// Steps between two calls of the progress handler, which counts the budget down.
constexpr int step_interval = 100;
// The longest string or blob SQLite may make for a value: an image's limit with room for text.
constexpr int max_value_bytes = 2 * tile_image_check::max_bytes;
// The longest metadata value kept (the attribution's markup and the name are shown on the map).
constexpr int max_metadata_chars = 1000;
// The longest program one query may compile to: an honest query needs under a hundred.
constexpr int max_program_ops = 25000;

using statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// A query of the tiles table (tile_data's length, then tile_data if within ?1 bytes); null on error.
statement prepare(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr);
    if (s && sql.contains("?1"))
        sqlite3_bind_int64(s, 1, tile_image_check::max_bytes);
    return statement(s, sqlite3_finalize);
}

const QByteArray tile_columns =
    "SELECT length(tile_data), CASE WHEN length(tile_data) <= ?1 THEN tile_data END FROM tiles";

QString column_text(sqlite3_stmt* s, int i)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
    return QString::fromUtf8(text, sqlite3_column_bytes(s, i)).trimmed();
}

// The tile of a row of "length(tile_data), <tile_data if not too long>"; false when it is too long.
bool row_tile(sqlite3_stmt* s, QByteArray& data)
{
    const void* bytes = sqlite3_column_blob(s, 1);
    const int size = sqlite3_column_bytes(s, 1);
    if (sqlite3_column_int64(s, 0) > tile_image_check::max_bytes || size > tile_image_check::max_bytes)
        return false;
    data = QByteArray(static_cast<const char*>(bytes), size);
    return true;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("mbtiles_file", text);
}

QString quoted(const QString& path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

QString too_long_tile()
{
    return tr("the tile is larger than %1 bytes").arg(tile_image_check::max_bytes);
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
    const QString refusal = sidecar_refusal(path, std::numeric_limits<qint64>::max(), tr("map tiles file"));
    if (!refusal.isEmpty()) {
        error = tr("The map tiles file %1 %2.").arg(quoted(path), refusal);
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = tr("The map tiles file %1 could not be read: %2.").arg(quoted(path), file.errorString());
        return nullptr;
    }
    if (file.read(16) != QByteArray("SQLite format 3\0", 16)) {
        error = tr("The map tiles file %1 is not an SQLite database, so it is no MBTiles file.")
                    .arg(quoted(path));
        return nullptr;
    }
    file.close();

    std::unique_ptr<mbtiles_file> tiles(new mbtiles_file);
    tiles->path_ = path;
    const int opened =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &tiles->db_, SQLITE_OPEN_READONLY, nullptr);
    sqlite3* db = tiles->db_;
    const auto errmsg = [&] { return QString::fromUtf8(sqlite3_errmsg(db)); };
    if (opened != SQLITE_OK) {
        error = tr("The map tiles file %1 is damaged: %2.").arg(quoted(path), errmsg());
        return nullptr;
    }
    // Whatever the file's views compute stays small, short and inside this file.
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, max_value_bytes);
    sqlite3_limit(db, SQLITE_LIMIT_VDBE_OP, max_program_ops);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    tiles->budget(open_steps, open_seconds);
    sqlite3_progress_handler(
        db, step_interval, [](void* self) { return static_cast<mbtiles_file*>(self)->spent() ? 1 : 0; },
        tiles.get());
    const auto failed = [&](const char* table, const QString& why) {
        if (tiles->calls_left_ < 0)
            error = tr("The map tiles file %1 is refused: its %2 table does not end within %3 steps or %4 "
                       "seconds.")
                        .arg(quoted(path), QLatin1String(table))
                        .arg(open_steps)
                        .arg(open_seconds);
        else
            error = tr("The map tiles file %1 is damaged: %2.").arg(quoted(path), why);
        return nullptr;
    };
    if (sqlite3_exec(db, "PRAGMA trusted_schema=OFF; PRAGMA cell_size_check=ON", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return failed("schema", errmsg());

    // Only the keys used are kept, a label's worth of each, so endless or huge rows cost no memory.
    std::map<QString, QString> meta{{"format", {}}, {"minzoom", {}}, {"maxzoom", {}},
                                    {"bounds", {}}, {"name", {}},    {"attribution", {}}};
    statement query =
        prepare(db, "SELECT name, value FROM metadata LIMIT " + QByteArray::number(max_metadata_rows + 1));
    if (!query)
        return failed("metadata", tr("no metadata table (%1)").arg(errmsg()));
    int rows = 0, step = 0;
    while ((step = sqlite3_step(query.get())) == SQLITE_ROW) {
        if (++rows > max_metadata_rows) {
            error = tr("The map tiles file %1 is refused: its metadata table has more than %2 rows.")
                        .arg(quoted(path))
                        .arg(max_metadata_rows);
            return nullptr;
        }
        const auto key = meta.find(column_text(query.get(), 0).toLower());
        if (key != meta.end())
            key->second = column_text(query.get(), 1).left(max_metadata_chars);
    }
    if (step != SQLITE_DONE)
        return failed("metadata", errmsg());

    // Ordered rather than MIN and MAX: an honest file's index answers either way, also through a view.
    int levels[2] = {0, 0};
    const char* const level_queries[2] = {
        "SELECT zoom_level FROM tiles WHERE zoom_level IS NOT NULL ORDER BY zoom_level LIMIT 1",
        "SELECT zoom_level FROM tiles WHERE zoom_level IS NOT NULL ORDER BY zoom_level DESC LIMIT 1"};
    for (int i = 0; i < 2; ++i) {
        query = prepare(db, level_queries[i]);
        if (!query)
            return failed("tiles", tr("no tiles table (%1)").arg(errmsg()));
        step = sqlite3_step(query.get());
        if (step == SQLITE_DONE) {
            error = tr("The map tiles file %1 holds no tiles.").arg(quoted(path));
            return nullptr;
        }
        if (step != SQLITE_ROW)
            return failed("tiles", errmsg());
        levels[i] = sqlite3_column_int(query.get(), 0);
    }
    tiles->min_level_ = levels[0];
    tiles->max_level_ = levels[1];
    QByteArray first;
    query = prepare(db, tile_columns + " LIMIT 1");
    step = query ? sqlite3_step(query.get()) : SQLITE_ERROR;
    if (step == SQLITE_ROW)
        row_tile(query.get(), first);
    else if (step != SQLITE_DONE)
        return failed("tiles", errmsg());
    query.reset();

    const QString format = meta["format"].toLower();
    if (format == QLatin1String("pbf") || format == QLatin1String("mvt") ||
        (format.isEmpty() && looks_vector(first))) {
        error =
            tr("The map tiles file %1 holds vector tiles: vector tiles are not supported.").arg(quoted(path));
        return nullptr;
    }
    bool ok_min = false, ok_max = false;
    const int min_level = meta["minzoom"].toInt(&ok_min);
    const int max_level = meta["maxzoom"].toInt(&ok_max);
    if (ok_min && ok_max && min_level <= max_level) {
        tiles->min_level_ = min_level;
        tiles->max_level_ = max_level;
    }
    tiles->bounds_ = QRectF(QPointF(-180, -max_map_latitude), QPointF(180, max_map_latitude));
    const QStringList b = meta["bounds"].split(QLatin1Char(','));
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
    tiles->name_ = meta["name"];
    if (tiles->name_.isEmpty())
        tiles->name_ = QFileInfo(path).fileName();
    tiles->attribution_ = QTextDocumentFragment::fromHtml(meta["attribution"]).toPlainText();
    return tiles;
}

mbtiles_file::~mbtiles_file()
{
    sqlite3_close_v2(db_);
}

void mbtiles_file::budget(qint64 steps, int seconds) const
{
    calls_left_ = steps / step_interval;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

bool mbtiles_file::spent() const
{
    // Out of time counts as out of steps, so each refusal names both bounds.
    if (std::chrono::steady_clock::now() > deadline_)
        calls_left_ = -1;
    return --calls_left_ < 0;
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

QByteArray mbtiles_file::tile_data(int x, int y, int level, QString* refusal) const
{
    QByteArray data;
    const auto refuse = [&](const QString& reason) {
        if (refusal)
            *refusal = reason;
        return QByteArray();
    };
    if (exhausted_)
        return refuse(tr("an earlier read took too long, so the file is read no further"));
    if (level < 0 || level > 30)
        return QByteArray();
    budget(tile_steps, tile_seconds);
    const statement query =
        prepare(db_, tile_columns + " WHERE zoom_level = ?2 AND tile_column = ?3 AND tile_row = ?4");
    sqlite3_bind_int(query.get(), 2, level);
    sqlite3_bind_int(query.get(), 3, x);
    sqlite3_bind_int64(query.get(), 4, (qint64(1) << level) - 1 - y);
    const int step = query ? sqlite3_step(query.get()) : SQLITE_ERROR;
    if (calls_left_ < 0) {
        exhausted_ = true;
        return refuse(
            tr("reading the tile took more than %1 steps or %2 seconds, so the file is read no further")
                .arg(tile_steps)
                .arg(tile_seconds));
    }
    if (step != SQLITE_ROW)
        return QByteArray();
    if (!row_tile(query.get(), data))
        return refuse(too_long_tile());
    return data;
}

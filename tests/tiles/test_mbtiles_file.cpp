// MBTiles files made here with QSQLITE: metadata, the TMS row flip, tiles outside the zoom range or
// bounds, a tile that is no image drawn as the basemap, and the files that are refused (not SQLite,
// damaged, vector tiles), and hostile files refused or bounded, each within its step budget.
#include "tiles/mbtiles_file.h"
#include "tiles/tile_manager.h"

#include "support/data_table.h"
#include "support/mbtiles_writer.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

class test_mbtiles_file : public QObject
{
    Q_OBJECT

private slots:
    void raster_tiles_are_read_with_the_rows_flipped();
    void refused_files_data();
    void refused_files();
    void hostile_files_data();
    void hostile_files();
};

void test_mbtiles_file::raster_tiles_are_read_with_the_rows_flipped()
{
    temp_folder dir;
    const QByteArray red = mbtiles_writer::png(Qt::red);
    // Level 2 has rows 0 ... 3: the file's row 0 is the map's southernmost row 3.
    const QString path = mbtiles_writer::write(
        dir, "t.mbtiles",
        {{"name", "Test tiles"},
         {"format", "png"},
         {"minzoom", "1"},
         {"maxzoom", "2"},
         {"bounds", "-180,-85,0,85"},
         {"attribution", "<a href=\"https://x.example/\">&copy; Test Maps</a>"}},
        {{2, 1, 0, red}, {2, 0, 3, QByteArray("<html>not an image</html>")}, {1, 0, 0, red}});
    QString error;
    std::shared_ptr<const mbtiles_file> file = mbtiles_file::open(path, error);
    QVERIFY2(file, qPrintable(error));
    QCOMPARE(file->name(), QString("Test tiles"));
    QCOMPARE(file->attribution(), QString("© Test Maps"));
    QCOMPARE(file->min_level(), 1);
    QCOMPARE(file->max_level(), 2);
    QCOMPARE(file->tile_data(1, 3, 2), red);
    QCOMPARE(file->tile_data(1, 0, 2), QByteArray());
    // The bounds reach the prime meridian from the west: level 2's columns 0 and 1, not 3.
    QVERIFY(file->covers(1, 3, 2));
    QVERIFY(!file->covers(3, 3, 2));
    QVERIFY(!file->covers(0, 0, 3));
    QVERIFY(!file->covers(0, 0, 0));

    tile_manager tiles(nullptr, nullptr);
    tiles.use_mbtiles(file);
    const QPixmap* image = tiles.image(1, 3, 2);
    QVERIFY(image);
    QCOMPARE(image->toImage().pixelColor(10, 10), QColor(Qt::red));
    // The tile that is no image, and a tile the file does not hold, leave the basemap in view.
    QVERIFY(!tiles.image(0, 0, 2));
    QVERIFY(!tiles.image(0, 1, 2));
    QCOMPARE(tiles.find_tile(0, 0, 2)->state, qint32(tile_failed));
    QCOMPARE(tiles.pending_count(), 0);
}

void test_mbtiles_file::refused_files_data()
{
    add_columns<QString, QString>("name", "reason");
    // Row name, file, the reason after the file's name.
    const char* const rows[][3] = {
        {"text", "text.mbtiles", "is not an SQLite database, so it is no MBTiles file."},
        {"no tables", "bare.mbtiles", "is damaged: no metadata table"},
        {"cut short", "cut.mbtiles", "is damaged"},
        {"vector", "vector.mbtiles", "holds vector tiles: vector tiles are not supported."},
        {"vector, no format", "gzip.mbtiles", "holds vector tiles: vector tiles are not supported."},
        {"empty", "empty.mbtiles", "holds no tiles."}};
    for (const auto& row : rows)
        add_row(row[0], QString(row[1]), QString(row[2]));
}

void test_mbtiles_file::refused_files()
{
    auto [name, reason] = fetch<QString, QString>("name", "reason");
    temp_folder dir;
    dir.write("text.mbtiles", "name,value\nformat,png\n");
    mbtiles_writer::write(dir, "bare.mbtiles", {}, {}, false);
    const QString whole = mbtiles_writer::write(dir, "whole.mbtiles", {{"format", "png"}},
                                                {{0, 0, 0, mbtiles_writer::png(Qt::red)}});
    QFile file(whole);
    file.open(QIODevice::ReadOnly);
    dir.write("cut.mbtiles", file.read(1024));
    mbtiles_writer::write(dir, "vector.mbtiles", {{"format", "pbf"}}, {{0, 0, 0, QByteArray("\x1a\x03pbf")}});
    mbtiles_writer::write(dir, "gzip.mbtiles", {}, {{0, 0, 0, QByteArray("\x1f\x8b\x08\0", 4)}});
    mbtiles_writer::write(dir, "empty.mbtiles", {{"format", "png"}}, {});
    QString error;
    QVERIFY(!mbtiles_file::open(dir.path(name), error));
    QVERIFY2(error.startsWith("The map tiles file \"" + dir.path(name) + "\" " + reason), qPrintable(error));
}

void test_mbtiles_file::hostile_files_data()
{
    add_columns<QString, int, QString>("sql", "level", "outcome");
    const QString endless = "WITH RECURSIVE r(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM r) ";
    const QString metadata =
        "CREATE TABLE metadata (name, value); INSERT INTO metadata VALUES ('format', 'png');";
    const QString tiles = "CREATE TABLE tiles (zoom_level, tile_column, tile_row, tile_data);";
    add_row("endless tiles view",
            metadata + "CREATE VIEW tiles AS " + endless +
                "SELECT 0 AS zoom_level, 0 AS tile_column, 0 AS tile_row, x'00' AS tile_data FROM r",
            0, QString("is refused: its tiles table does not end within 20000000 steps or 5 seconds."));
    add_row("endless metadata view",
            tiles + "CREATE VIEW metadata AS " + endless + "SELECT n AS name, n AS value FROM r", 0,
            QString("is refused: its metadata table has more than 1000 rows."));
    add_row("endless empty metadata view",
            tiles + "CREATE VIEW metadata AS " + endless + "SELECT n AS name, n AS value FROM r WHERE n < 0",
            0, QString("is refused: its metadata table does not end within 20000000 steps or 5 seconds."));
    add_row("tile at the limit", metadata + tiles + "INSERT INTO tiles VALUES (0, 0, 0, zeroblob(2097152))",
            0, QString("2097152 bytes"));
    add_row("tile over the limit", metadata + tiles + "INSERT INTO tiles VALUES (0, 0, 0, zeroblob(2097153))",
            0, QString("the tile is larger than 2097152 bytes"));
    add_row(
        "endless tile",
        metadata + "CREATE TABLE t (z); INSERT INTO t VALUES (0), (1); CREATE VIEW tiles AS " +
            "SELECT z AS zoom_level, 0 AS tile_column, 0 AS tile_row, CASE WHEN z = 0 THEN x'00' ELSE (" +
            endless + "SELECT count(*) FROM r) END AS tile_data FROM t",
        1,
        QString(
            "reading the tile took more than 2000000 steps or 2 seconds, so the file is read no further"));
    add_row("FIFO", QString(), 0, QString("is not a regular file."));
}

void test_mbtiles_file::hostile_files()
{
    auto [sql, level, outcome] = fetch<QString, int, QString>("sql", "level", "outcome");
    temp_folder dir;
    const QString path = dir.path("hostile.mbtiles");
    sqlite3* db = nullptr;
    if (sql.isEmpty())
        QCOMPARE(mkfifo(qPrintable(path), 0600), 0);
    else
        QCOMPARE(sqlite3_open(qPrintable(path), &db) |
                     sqlite3_exec(db, qPrintable(sql), nullptr, nullptr, nullptr),
                 0);
    sqlite3_close(db);
    // The refusal at opening, else the read of the file's row 0 at level, or the size of that tile.
    QString error;
    std::unique_ptr<mbtiles_file> file = mbtiles_file::open(path, error);
    if (file) {
        const int size = file->tile_data(0, (1 << level) - 1, level, &error).size();
        QCOMPARE(error.isEmpty() ? QString("%1 bytes").arg(size) : error, outcome);
    } else {
        QCOMPARE(error, "The map tiles file \"" + path + "\" " + outcome);
    }
}

QTEST_MAIN(test_mbtiles_file)
#include "test_mbtiles_file.moc"

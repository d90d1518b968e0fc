// MBTiles files made here with QSQLITE: metadata, the TMS row flip, tiles outside the zoom range or
// bounds, a tile that is no image drawn as the basemap, and the files that are refused (not SQLite,
// damaged, vector tiles).
#include "tiles/mbtiles_file.h"
#include "tiles/tile_manager.h"

#include "support/data_table.h"
#include "support/mbtiles_writer.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QTest>

class test_mbtiles_file : public QObject
{
    Q_OBJECT

private slots:
    void raster_tiles_are_read_with_the_rows_flipped();
    void refused_files_data();
    void refused_files();
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

QTEST_MAIN(test_mbtiles_file)
#include "test_mbtiles_file.moc"

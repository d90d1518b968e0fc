// MBTiles files made here with QSQLITE: metadata, the TMS row flip, tiles outside the zoom range or
// bounds, a tile that is no image drawn as the basemap, and the files that are refused (not SQLite,
// damaged, vector tiles).
#include "tiles/mbtiles_file.h"
#include "tiles/tile_manager.h"

#include "support/temp_folder.h"

#include <QBuffer>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

namespace {

QByteArray png(QColor colour)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct tile_row
{
    int level, column, tms_row;
    QByteArray data;
};

// Writes an MBTiles file with the metadata pairs and the tiles; tables: false leaves both out.
QString make_mbtiles(const temp_folder& dir, const QString& name, const QList<QPair<QString, QString>>& metadata,
                     const QList<tile_row>& tiles, bool tables = true)
{
    const QString path = dir.path(name);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "writer");
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        if (tables) {
            q.exec("CREATE TABLE metadata (name text, value text)");
            q.exec("CREATE TABLE tiles (zoom_level integer, tile_column integer, tile_row integer, tile_data blob)");
        } else {
            q.exec("CREATE TABLE other (a integer)");
        }
        for (const auto& [key, value] : metadata) {
            q.prepare("INSERT INTO metadata VALUES (?, ?)");
            q.addBindValue(key);
            q.addBindValue(value);
            q.exec();
        }
        for (const tile_row& t : tiles) {
            q.prepare("INSERT INTO tiles VALUES (?, ?, ?, ?)");
            for (const QVariant& v : {QVariant(t.level), QVariant(t.column), QVariant(t.tms_row), QVariant(t.data)})
                q.addBindValue(v);
            q.exec();
        }
    }
    QSqlDatabase::removeDatabase("writer");
    return path;
}

} // namespace

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
    const QByteArray red = png(Qt::red);
    // Level 2 has rows 0 ... 3: the file's row 0 is the map's southernmost row 3.
    const QString path = make_mbtiles(
        dir, "t.mbtiles",
        {{"name", "Test tiles"}, {"format", "png"}, {"minzoom", "1"}, {"maxzoom", "2"},
         {"bounds", "-180,-85,0,85"}, {"attribution", "<a href=\"https://x.example/\">&copy; Test Maps</a>"}},
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
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text") << "text.mbtiles" << "is not an SQLite database, so it is no MBTiles file.";
    QTest::newRow("no tables") << "bare.mbtiles" << "is damaged: no metadata table";
    QTest::newRow("cut short") << "cut.mbtiles" << "is damaged";
    QTest::newRow("vector") << "vector.mbtiles" << "holds vector tiles: vector tiles are not supported.";
    QTest::newRow("vector, no format") << "gzip.mbtiles" << "holds vector tiles: vector tiles are not supported.";
    QTest::newRow("empty") << "empty.mbtiles" << "holds no tiles.";
}

void test_mbtiles_file::refused_files()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    temp_folder dir;
    dir.write("text.mbtiles", "name,value\nformat,png\n");
    make_mbtiles(dir, "bare.mbtiles", {}, {}, false);
    const QString whole = make_mbtiles(dir, "whole.mbtiles", {{"format", "png"}}, {{0, 0, 0, png(Qt::red)}});
    QFile file(whole);
    file.open(QIODevice::ReadOnly);
    dir.write("cut.mbtiles", file.read(1024));
    make_mbtiles(dir, "vector.mbtiles", {{"format", "pbf"}}, {{0, 0, 0, QByteArray("\x1a\x03pbf")}});
    make_mbtiles(dir, "gzip.mbtiles", {}, {{0, 0, 0, QByteArray("\x1f\x8b\x08\0", 4)}});
    make_mbtiles(dir, "empty.mbtiles", {{"format", "png"}}, {});
    QString error;
    QVERIFY(!mbtiles_file::open(dir.path(name), error));
    QVERIFY2(error.startsWith("The map tiles file \"" + dir.path(name) + "\" " + reason), qPrintable(error));
}

QTEST_MAIN(test_mbtiles_file)
#include "test_mbtiles_file.moc"

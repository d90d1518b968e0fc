// Tile cache: the cache directory, its three debug lines, exists/read/write on files
// named column_row_level, atomic replacement, persistence across instances, the placeholder.
#include "tiles/tile_cache.h"
#include "tiles/tile_math.h"

#include "support/log_capture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray file_bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<cannot open>");
    return file.readAll();
}

} // namespace

class test_tile_cache : public QObject
{
    Q_OBJECT

private slots:
    void creates_missing_directory_and_logs_three_lines();
    void finds_existing_directory_and_creates_nothing();
    void creates_missing_parents();
    void directory_that_cannot_be_created();
    void exists_write_read();
    void file_named_column_row_level();
    void empty_file();
    void write_replaces_the_whole_file();
    void write_leaves_no_temporary_files();
    void persists_across_instances();
    void placeholder_resource();
};

void test_tile_cache::creates_missing_directory_and_logs_three_lines()
{
    QTemporaryDir tiles;
    QVERIFY(tiles.isValid());
    log_capture log;
    tile_cache cache(QDir(tiles.path()), "osm");
    const QString expected = QDir(tiles.path()).absolutePath() + QDir::separator() + "osm";
    QCOMPARE(cache.cache_dir(), expected);
    QVERIFY(QFileInfo(expected).isDir());

    // "base_dir: " and "path: "; the third line, "cannot create directory: ", only on failure.
    QCOMPARE(log.lines().size(), 2);
    QVERIFY2(log.lines()[0].message.startsWith("base_dir: "), qPrintable(log.all()));
    QVERIFY2(log.lines()[0].message.contains("QDir("), qPrintable(log.all())); // Qt's notation for a QDir
    QVERIFY2(log.lines()[0].message.contains(tiles.path()), qPrintable(log.all()));
    QVERIFY(log.lines()[1].message.startsWith("path: "));
    QVERIFY(log.lines()[1].message.contains(expected));
    QCOMPARE(log.count("cannot create directory: "), 0);
    // Debug lines carry the source, line and function of the call.
    for (const logged_line& line : log.lines()) {
        QVERIFY2(line.file.endsWith("tile_cache.cpp"), qPrintable(line.file));
        QVERIFY2(line.function.contains("tile_cache::tile_cache"), qPrintable(line.function));
    }
}

void test_tile_cache::finds_existing_directory_and_creates_nothing()
{
    QTemporaryDir tiles;
    QVERIFY(QDir(tiles.path()).mkdir("osm"));
    QFile marker(tiles.path() + "/osm/0_0_0");
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.write("kept");
    marker.close();

    log_capture log;
    tile_cache cache(QDir(tiles.path()), "osm");
    QCOMPARE(log.lines().size(), 2);
    QCOMPARE(log.count("cannot create directory: "), 0);
    QVERIFY(cache.exists("0_0_0"));
    QCOMPARE(cache.read("0_0_0"), QByteArray("kept"));
    tile_cache again(QDir(tiles.path()), "osm");
    QCOMPARE(QDir(tiles.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"osm"});
}

void test_tile_cache::creates_missing_parents()
{
    QTemporaryDir home;
    const QString base = home.path() + "/share/Dornvale Project/Dornvale/tiles";
    tile_cache cache(QDir(base), "osm");
    QVERIFY(QFileInfo(base + "/osm").isDir());
    QVERIFY(cache.write("1_2_3", "x"));
    QVERIFY(QFileInfo(base + "/osm/1_2_3").isFile());
}

void test_tile_cache::directory_that_cannot_be_created()
{
    QTemporaryDir home;
    // The base "directory" is a file, so nothing can be created under it (even as root).
    QVERIFY(test_support::write_file(home.path() + "/tiles", QByteArray()));

    log_capture log;
    tile_cache cache(QDir(home.path() + "/tiles"), "osm");
    QCOMPARE(log.lines().size(), 3);
    QVERIFY2(log.lines()[1].message.startsWith("cannot create directory: "), qPrintable(log.all()));
    QVERIFY(log.lines()[1].message.contains(home.path() + "/tiles"));
    QVERIFY(log.lines()[2].message.startsWith("path: "));

    // Later operations fail quietly.
    QVERIFY(!cache.exists("0_0_0"));
    QVERIFY(!cache.write("0_0_0", "data"));
    QVERIFY(!cache.exists("0_0_0"));
    QCOMPARE(cache.read("0_0_0"), QByteArray());
    QVERIFY(QFileInfo(home.path() + "/tiles").isFile());
}

void test_tile_cache::exists_write_read()
{
    QTemporaryDir tiles;
    tile_cache cache(QDir(tiles.path()), "osm");
    QVERIFY(!cache.exists("3_5_4"));
    QCOMPARE(cache.read("3_5_4"), QByteArray());

    QByteArray data;
    for (int i = 0; i < 70000; ++i)
        data.append(char(i * 7));
    QVERIFY(cache.write("3_5_4", data));
    QVERIFY(cache.exists("3_5_4"));
    QCOMPARE(cache.read("3_5_4"), data);
    QVERIFY(!cache.exists("3_5_5"));
}

void test_tile_cache::file_named_column_row_level()
{
    QTemporaryDir tiles;
    tile_cache cache(QDir(tiles.path()), "osm");
    QVERIFY(cache.write(tile_key(3, 5, 4), "tile"));
    QVERIFY(cache.write(tile_key(1, -1, 1), "row above"));
    // Directly in the cache directory, no extension, no sub-directories.
    QStringList names = QDir(tiles.path() + "/osm").entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    names.sort();
    QCOMPARE(names, (QStringList{"1_-1_1", "3_5_4"}));
    QCOMPARE(file_bytes(tiles.path() + "/osm/3_5_4"), QByteArray("tile"));
    QCOMPARE(cache.file_path("3_5_4"), QDir(tiles.path() + "/osm").absoluteFilePath("3_5_4"));
}

void test_tile_cache::empty_file()
{
    QTemporaryDir tiles;
    tile_cache cache(QDir(tiles.path()), "osm");
    QVERIFY(cache.write("0_0_0", QByteArray()));
    QVERIFY(cache.exists("0_0_0"));
    QCOMPARE(QFileInfo(tiles.path() + "/osm/0_0_0").size(), qint64(0));
    const QByteArray read = cache.read("0_0_0");
    QVERIFY(read.isEmpty());
}

void test_tile_cache::write_replaces_the_whole_file()
{
    QTemporaryDir tiles;
    tile_cache cache(QDir(tiles.path()), "osm");
    QVERIFY(cache.write("7_7_7", QByteArray(5000, 'a')));
    QVERIFY(cache.write("7_7_7", "short"));
    QCOMPARE(cache.read("7_7_7"), QByteArray("short"));
    QVERIFY(cache.write("7_7_7", QByteArray(9000, 'b')));
    QCOMPARE(cache.read("7_7_7"), QByteArray(9000, 'b'));
}

void test_tile_cache::write_leaves_no_temporary_files()
{
    QTemporaryDir tiles;
    tile_cache cache(QDir(tiles.path()), "osm");
    for (int i = 0; i < 20; ++i)
        QVERIFY(cache.write(tile_key(i % 4, 0, 2), QByteArray(1000 + i, char('a' + i))));
    QStringList names =
        QDir(tiles.path() + "/osm").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    names.sort();
    QCOMPARE(names, (QStringList{"0_0_2", "1_0_2", "2_0_2", "3_0_2"}));
    // A target that cannot be replaced (a directory of that name) is reported and left alone, and
    // no temporary file stays behind.
    QVERIFY(QDir(tiles.path() + "/osm").mkdir("9_9_9"));
    QVERIFY(!cache.write("9_9_9", "data"));
    QVERIFY(QFileInfo(tiles.path() + "/osm/9_9_9").isDir());
    names = QDir(tiles.path() + "/osm").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden);
    QCOMPARE(names.size(), 5);
}

void test_tile_cache::persists_across_instances()
{
    QTemporaryDir tiles;
    {
        tile_cache first(QDir(tiles.path()), "osm");
        QVERIFY(first.write("2_1_3", "persisted"));
    }
    tile_cache second(QDir(tiles.path()), "osm");
    QVERIFY(second.exists("2_1_3"));
    QCOMPARE(second.read("2_1_3"), QByteArray("persisted"));
    // Another name is another cache.
    tile_cache other(QDir(tiles.path()), "other");
    QVERIFY(!other.exists("2_1_3"));
}

void test_tile_cache::placeholder_resource()
{
    QImage missing(":/images/test-data/missing.png");
    QVERIFY(!missing.isNull());
    QCOMPARE(missing.size(), QSize(256, 256));
    QCOMPARE(QColor(missing.pixel(5, 5)), QColor(Qt::white));
    // A dark cross through the centre.
    QVERIFY(qGray(missing.pixel(128, 128)) < 128);
}

QTEST_MAIN(test_tile_cache)
#include "test_tile_cache.moc"

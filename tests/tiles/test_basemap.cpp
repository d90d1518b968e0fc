// The offline basemap: known places land on the land or the sea colour at the Web Mercator pixel
// computed by hand (x = (lon + 180) / 360 * 256 * 2^level, y from the Mercator formula), whole and
// simplified; rows beyond the world; a file that is not the basemap's is refused.
#include "tiles/basemap.h"
#include "tiles/basemap_shapes.h"

#include <QGuiApplication>
#include <QTest>

class test_basemap : public QObject
{
    Q_OBJECT

private slots:
    void places_fall_on_land_or_sea_data();
    void places_fall_on_land_or_sea();
    void rows_beyond_the_world_are_outside();
    void foreign_bytes_are_refused();
};

void test_basemap::places_fall_on_land_or_sea_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QPoint>("tile");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("land");
    QTest::newRow("Sahara 10E 25N") << 5 << QPoint(16, 13) << QPoint(227, 180) << true;
    QTest::newRow("Atlantic 30W 30N") << 5 << QPoint(13, 13) << QPoint(85, 51) << false;
    QTest::newRow("Berlin 13.4E 52.5N") << 5 << QPoint(17, 10) << QPoint(48, 127) << true;
    QTest::newRow("Berlin at level 10") << 10 << QPoint(550, 335) << QPoint(29, 235) << true;
    QTest::newRow("Mediterranean 18E 34N") << 5 << QPoint(17, 12) << QPoint(153, 200) << false;
    QTest::newRow("Caspian 51E 42N, a hole in the land") << 5 << QPoint(20, 11) << QPoint(136, 225) << false;
    QTest::newRow("inland of Cape Agulhas 20E 34.5S") << 5 << QPoint(17, 19) << QPoint(199, 69) << true;
    QTest::newRow("off Cape Agulhas 20E 35.2S") << 5 << QPoint(17, 19) << QPoint(199, 88) << false;
    QTest::newRow("Gulf of Guinea 0E 0N") << 1 << QPoint(1, 1) << QPoint(0, 0) << false;
    QTest::newRow("Minnesota 100W 45N") << 2 << QPoint(0, 1) << QPoint(227, 112) << true;
}

void test_basemap::places_fall_on_land_or_sea()
{
    QFETCH(int, level);
    QFETCH(QPoint, tile);
    QFETCH(QPoint, pixel);
    QFETCH(bool, land);
    basemap map;
    const QImage image = map.render(tile.x(), tile.y(), level);
    QCOMPARE(image.size(), QSize(256, 256));
    QCOMPARE(QColor(image.pixel(pixel)), land ? basemap::land : basemap::sea);
    // The held tile is the same picture.
    QCOMPARE(map.tile(tile.x(), tile.y(), level).toImage().convertToFormat(image.format()), image);
}

void test_basemap::rows_beyond_the_world_are_outside()
{
    basemap map;
    for (int row : {-1, 4})
        QCOMPARE(QColor(map.tile(0, row, 2).toImage().pixel(128, 128)), basemap::outside);
}

void test_basemap::foreign_bytes_are_refused()
{
    QString error;
    QVERIFY(!basemap_shapes::parse(qCompress(QByteArray("PNG and more")), error));
    QCOMPARE(error, QString("not a basemap file"));
    // A header announcing five rings, and no ring after it.
    const QByteArray cut =
        QByteArray("DVBM\1\0\0\0", 8) + QByteArray(32, '\0') + QByteArray("\5\0\0\0\0\0\0\0", 8);
    QVERIFY(!basemap_shapes::parse(qCompress(cut), error));
    QCOMPARE(error, QString("the basemap file is damaged"));
}

QTEST_MAIN(test_basemap)
#include "test_basemap.moc"

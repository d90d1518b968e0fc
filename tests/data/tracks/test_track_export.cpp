// Each export format through a real parser: xmllint for well-formed XML (no GPX schema is at hand
// offline), the required elements read back with QXmlStreamReader, GeoJSON with QJsonDocument.
#include "data/model/event_space.h"
#include "data/tracks/track_file.h"
#include "support/data_table.h"
#include "support/temp_folder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QXmlStreamReader>

#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(track_format)

namespace {

// Three fixes in file order, not in time order; the second has no height, the third no position.
std::unique_ptr<event_space> three_fixes()
{
    std::vector<std::unique_ptr<gps_event>> list;
    list.push_back(std::make_unique<gps_event>(gps_event{1399075213000, 9.0588984, 47.731293, 454.8}));
    list.push_back(std::make_unique<gps_event>(gps_event{1399075000500, -0.5, -33.25}));
    list.push_back(std::make_unique<gps_event>(gps_event{1399079999000, std::nan(""), 47.7}));
    return std::make_unique<event_space>(list);
}

// The text of every element named name, in document order.
QStringList texts(const QByteArray& xml, const QString& name, QString* error)
{
    QStringList found;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == name)
            found << reader.readElementText();
    *error = reader.errorString();
    return found;
}

} // namespace

class test_track_export : public QObject
{
    Q_OBJECT

private slots:
    void writes_every_placed_fix_data();
    void writes_every_placed_fix();
    void unwritable_folders_are_told();
    void a_stopped_export_leaves_the_old_file();
};

void test_track_export::writes_every_placed_fix_data()
{
    add_columns<track_format, QString>("format", "name");
    add_row("gpx", track_format::gpx, QStringLiteral("stork2241_gps.gpx"));
    add_row("kml", track_format::kml, QStringLiteral("stork2241_gps.kml"));
    add_row("geojson", track_format::geojson, QStringLiteral("stork2241_gps.geojson"));
}

void test_track_export::writes_every_placed_fix()
{
    const auto [format, name] = fetch<track_format, QString>("format", "name");
    temp_folder dir;
    QCOMPARE(track_file::name("/data/stork2241_gps.txt", QString(), format), name);
    const QString path = dir.path(name);
    const std::unique_ptr<event_space> fixes = three_fixes();
    QCOMPARE(track_file::save(path, format, *fixes, QStringLiteral("stork <2241> & co")), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();

    if (format == track_format::geojson) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
        QCOMPARE(error.errorString(), QStringLiteral("no error occurred"));
        const QJsonArray features = doc.object()["features"].toArray();
        QCOMPARE(features.size(), 3); // the line, then a point per placed fix
        const QJsonObject line = features[0].toObject();
        QCOMPARE(line["geometry"].toObject()["type"].toString(), QStringLiteral("LineString"));
        QCOMPARE(line["geometry"].toObject()["coordinates"].toArray()[1].toArray(),
                 (QJsonArray{-0.5, -33.25}));
        QCOMPARE(line["properties"].toObject()["begin"].toString(),
                 QStringLiteral("2014-05-02T23:56:40.500Z"));
        QCOMPARE(line["properties"].toObject()["end"].toString(), QStringLiteral("2014-05-03T00:00:13Z"));
        const QJsonObject first = features[1].toObject();
        QCOMPARE(first["geometry"].toObject()["coordinates"].toArray(),
                 (QJsonArray{9.0588984, 47.731293, 454.8}));
        QCOMPARE(first["properties"].toObject()["time"].toString(), QStringLiteral("2014-05-03T00:00:13Z"));
        QCOMPARE(features[2].toObject()["geometry"].toObject()["coordinates"].toArray().size(), 2);
        return;
    }

    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), path});
    QVERIFY(xmllint.waitForFinished(30000));
    QCOMPARE(QString::fromLocal8Bit(xmllint.readAllStandardError()), QString());
    QCOMPARE(xmllint.exitCode(), 0);
    QString error;
    if (format == track_format::gpx) {
        QXmlStreamReader root(bytes);
        root.readNextStartElement();
        QCOMPARE(root.namespaceUri().toString(), QStringLiteral("http://www.topografix.com/GPX/1/1"));
        QCOMPARE(root.attributes().value("version").toString(), QStringLiteral("1.1"));
        QVERIFY(!root.attributes().value("creator").isEmpty());
        QCOMPARE(texts(bytes, "name", &error), QStringList{"stork <2241> & co"});
        QCOMPARE(texts(bytes, "time", &error),
                 (QStringList{"2014-05-03T00:00:13Z", "2014-05-02T23:56:40.500Z"}));
        QCOMPARE(texts(bytes, "ele", &error), QStringList{"454.8"});
        // ele comes before time in a trkpt, as GPX 1.1 orders them; lat and lon as written.
        QVERIFY(
            bytes.contains("<trkpt lat=\"47.731293\" lon=\"9.0588984\">\n    <ele>454.8</ele>\n    <time>"));
        QVERIFY(bytes.contains("<trkpt lat=\"-33.25\" lon=\"-0.5\">\n    <time>"));
    } else {
        QCOMPARE(texts(bytes, "begin", &error), QStringList{"2014-05-02T23:56:40.500Z"});
        QCOMPARE(texts(bytes, "end", &error), QStringList{"2014-05-03T00:00:13Z"});
        QCOMPARE(texts(bytes, "coordinates", &error), QStringList{"9.0588984,47.731293 -0.5,-33.25"});
        QVERIFY(bytes.contains("<kml xmlns=\"http://www.opengis.net/kml/2.2\">"));
        QVERIFY(bytes.contains("<LineString>"));
    }
    QCOMPARE(error, QString());
}

void test_track_export::unwritable_folders_are_told()
{
    temp_folder dir;
    QCOMPARE(track_file::unwritable(dir.path()), QString());
    QCOMPARE(track_file::unwritable(dir.path("gone")), QStringLiteral("does not exist"));
    QCOMPARE(track_file::unwritable(dir.write("plain.txt", "x")), QStringLiteral("is not a folder"));
    QVERIFY(!track_file::save(dir.path("gone/t.gpx"), track_format::gpx, *three_fixes(), "t").isEmpty());
    QCOMPARE(track_file::name("x-gps.csv", QStringLiteral("Stork 7/b"), track_format::kml),
             QStringLiteral("x-gps-Stork_7_b.kml"));
}

void test_track_export::a_stopped_export_leaves_the_old_file()
{
    std::vector<std::unique_ptr<gps_event>> list;
    for (int i = 0; i < 10000; ++i)
        list.push_back(std::make_unique<gps_event>(gps_event{1399075200000 + i * 1000LL, 8.5, 47.25, 400}));
    const event_space fixes(list);
    temp_folder dir;
    for (const track_format format : {track_format::gpx, track_format::kml, track_format::geojson}) {
        const QString path = dir.write("old." + track_format_suffix(format), "the user's own");
        QList<qint64> steps;
        const auto stop_at = [&](qint64 last) {
            steps.clear();
            return [&, last](qint64 done, qint64 total) {
                steps << done;
                return total == 10000 && done < last;
            };
        };
        QCOMPARE(track_file::save(path, format, fixes, "t", stop_at(4096)), QStringLiteral("cancelled"));
        QCOMPARE(steps, (QList<qint64>{0, 4096}));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("the user's own"));
        QCOMPARE(track_file::save(path, format, fixes, "t", stop_at(10000)), QString());
        QCOMPARE(steps, (QList<qint64>{0, 4096, 8192}));
    }
}

QTEST_GUILESS_MAIN(test_track_export)
#include "test_track_export.moc"

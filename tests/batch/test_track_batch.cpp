// dornvale-batch track, run as the real program: a GPS file, an acceleration file through its GPS
// partner, a file of several animals and a missing one in one run; the folder that cannot be written.
#include "batch/train_batch.h"
#include "data/formats/loader_gps_eobsmb.h"

#include "support/acc_layouts.h"
#include "support/batch_run.h"
#include "support/download_layouts.h"
#include "support/temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTest>

class test_track_batch : public QObject
{
    Q_OBJECT

private slots:
    void every_animal_of_every_file();
    void an_unwritable_folder_is_named();
    void each_mistake_says_what_to_do();
};

void test_track_batch::every_animal_of_every_file()
{
    temp_folder dir;
    const QByteArray gps_line =
        ",2241,2014-05-02 00:00:00.000,9.5,47.5,454.8,3,A,13,2014-05-02 00:00:13.000,1,1,9,0,0,0,4\n";
    dir.write("b_acc.txt", test_support::acc_fixed_header + "\n1a,22,2014-05-02 13:00:00.000,10,XYZ,1 2 3\n");
    // A height out of range is written as none; a position off the earth and a control character in
    // a name lose no fix but the one.
    dir.write("b_gps.txt", QByteArray(loader_gps_eobsmb::header) + "\n1" + gps_line + "2" + gps_line + "3" +
                               QByteArray(gps_line).replace("454.8", "1e308"));
    dir.write("herd.csv", test_support::named_gps_header + "\nA,8.5,47.25,2014-05-02 10:00:00.000\n"
                                                           "B,8.5,47.25,2014-05-02 10:00:00.000\n"
                                                           "B,8.6,47.25,2014-05-02 11:00:00.000\n"
                                                           "B,8.6,-1e308,2014-05-02 12:00:00.000\n"
                                                           "C\x01,8.5,47.25,2014-05-02 10:00:00.000\n");
    dir.write("mixed.csv", test_support::mixed_sensor_file);
    QVERIFY(QDir(dir.path()).mkdir("out"));

    const run_result r =
        run({"track", "--format", "gpx", "--out", "out", "b_acc.txt", "herd.csv", "mixed.csv", "gone.txt"},
            dir.path());
    QCOMPARE(r.err, QStringLiteral("dornvale-batch: herd.csv (animal B): 1 fix had a position out of range (a "
                                   "latitude outside -90..90, a longitude outside -180..180, or not a number) "
                                   "and was left out\ndornvale-batch: gone.txt: File does not exist.\n"));
    QCOMPARE(r.out, QStringLiteral("b_acc.txt: 3 fixes -> out/b_acc.gpx (1 height out of range, written without)\n"
                                   "herd.csv (animal A): 1 fix -> out/herd-A.gpx\n"
                                   "herd.csv (animal B): 2 fixes -> out/herd-B.gpx\n"
                                   "herd.csv (animal C\\x01): 1 fix -> out/herd-C_.gpx\n"
                                   "mixed.csv: 1 fix -> out/mixed.gpx\n"));
    QCOMPARE(r.code, 1);
    QFile herd(dir.path("out/herd-B.gpx"));
    QVERIFY(herd.open(QIODevice::ReadOnly));
    QCOMPARE(herd.readAll().count("<trkpt "), 2);
    QFile b(dir.path("out/b_acc.gpx")), c(dir.path("out/herd-C_.gpx"));
    QVERIFY(b.open(QIODevice::ReadOnly) && c.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll().count("<ele>"), 2);
    QVERIFY(c.readAll().contains("<name>herd.csv (animal C\\x01)</name>"));
}

void test_track_batch::an_unwritable_folder_is_named()
{
    temp_folder dir;
    dir.write("herd.csv", test_support::named_gps_header + "\nA,8.5,47.25,2014-05-02 10:00:00.000\n");
    const run_result r = run({"track", "--format", "kml", "--out", "nowhere", "herd.csv"}, dir.path());
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.startsWith("dornvale-batch: can't write into the folder nowhere: it does not exist\n"),
             qPrintable(r.err));
    QVERIFY(!QFile::exists(dir.path("herd.kml")));
}

void test_track_batch::each_mistake_says_what_to_do()
{
    temp_folder dir;
    for (const char* name : {"s.txt", "s.labels.csv", "lone.labels.csv", "bad.dvmodel"})
        dir.write(name, "x\n");
    dir.write("herd.csv", test_support::named_gps_header + "\nA,,7,2014-05-02 10:00:00\nA,8,7,\nA,8,7,?\n");
    const std::pair<QStringList, QString> cases[] = {
        {{"train", "s.txt"}, "train needs --out MODEL.dvmodel\n" + QString(train_batch::usage).trimmed()},
        {{"classify", "--model", "bad.dvmodel", "s.txt"}, "bad.dvmodel is not a Dornvale behaviour model."},
        {{"classify", "--model", "m/gone.dvmodel", "s.txt"}, "m/gone.dvmodel: File does not exist."},
        {{"metrics", "./s.labels.csv", "lone.labels.csv"},
         "./s.labels.csv: A labels file, not data: it holds the labels of ./s.txt; give that file.\ndornvale-"
         "batch: lone.labels.csv: A labels file, not data; its data file is not beside it (looked for "
         "lone.csv, lone.txt, lone.zip, lone.csv.gz, lone.txt.gz)."},
        {{"track", "--format", "gpx", "herd.csv"},
         "herd.csv: 1 fix left out: 2D or invalid, 2 fixes left out: no usable time"}};
    for (const auto& [args, err] : cases)
        QCOMPARE(run(args, dir.path()).err, "dornvale-batch: " + err + "\n");
}

QTEST_GUILESS_MAIN(test_track_batch)
#include "test_track_batch.moc"

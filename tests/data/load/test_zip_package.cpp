// Zip archives of several data files: entry paths read like files, progress and failures of an
// entry, and finding a package's acceleration and GPS entries by name or by header.
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/model/event_space.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/io/zip_entry_path.h"
#include "data/load/zip_package.h"
#include "support/acc_layouts.h"
#include "support/download_layouts.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "support/zip_writer.h"
#include "support/data_table.h"
#include "support/read_capture.h"

#include <QTest>

namespace {

using test_support::captured;
using test_support::recording_progress;
using test_support::streams_capture;
using test_support::write_zip;
using test_support::zip_of;

const QByteArray fixed_acc = test_support::acc_fixed_header +
                             "\n1,2,2014-05-02 10:00:00.000,10,XYZ,1 2 3 4 5 6\n"
                             "1,2,2014-05-02 10:10:00.000,10,XYZ,7 8 9\n";

const QByteArray named_acc = "eobs:start-timestamp,eobs:acceleration-axes,"
                             "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n"
                             "2014-05-02 10:00:00.000,XYZ,10,1 2 3\n";

const QByteArray named_gps = "location-long,location-lat,timestamp\n"
                             "8.5,47.25,2014-05-02 10:00:00.000\n"
                             "8.6,47.35,2014-05-02 10:05:00.000\n";

const QByteArray& mixed = test_support::mixed_sensor_file;

QByteArray fixed_gps()
{
    return QByteArray(loader_gps_mbd::header_3) +
           "\n3.9,3.8,12,1a,2,2014-05-02 00:00:00.000,\"A\",21,3,40,0.1,90,55,47.25,8.5,2014-05-02 "
           "10:00:00.000,123,4567,2014-05-02 10:00:00.000\n";
}

} // namespace

class test_zip_package : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.valid()); }
    void entry_paths_split_at_the_archive();
    void entries_and_existence();
    void entry_reads_like_the_plain_file();
    void entry_progress_counts_its_unpacked_bytes();
    void entry_failures_are_clear_data();
    void entry_failures_are_clear();
    void package_entries_found_data();
    void package_entries_found();
    void package_search_reports_and_cancels();

private:
    temp_folder dir;
};

void test_zip_package::entry_paths_split_at_the_archive()
{
    const QString zip = write_zip(dir.path("pkg.zip"), {{"a.csv", named_acc}, {"data/b.csv", named_gps}});
    QDir(dir.path()).mkdir("folder");
    dir.write("folder/plain.csv", named_acc);
    const struct
    {
        QString path;
        bool split;
        QString archive;
        QString entry;
    } cases[] = {
        {zip + "/a.csv", true, zip, "a.csv"},
        {zip + "/data/b.csv", true, zip, "data/b.csv"},
        {zip + "/missing.csv", true, zip, "missing.csv"}, // split; the entry is looked up on reading
        {zip, false, {}, {}},                             // the archive itself is a file
        {zip + "/", false, {}, {}},
        {dir.path() + "/folder/plain.csv", false, {}, {}},
        {dir.path() + "/folder/none.csv", false, {}, {}},
        {dir.path() + "/nowhere/pkg.zip/a.csv", false, {}, {}},
    };
    for (const auto& c : cases) {
        QString archive_part = "unset";
        QString entry_part = "unset";
        QCOMPARE(zip_entry_path::split(c.path, &archive_part, &entry_part), c.split);
        if (c.split) {
            QCOMPARE(archive_part, c.archive);
            QCOMPARE(entry_part, c.entry);
        }
    }
}

void test_zip_package::entries_and_existence()
{
    const QString zip =
        write_zip(dir.path("pkg.zip"),
                  {{"README.md", "x"}, {"b.CSV", named_gps}, {"notes.txt", "y"}, {"a.csv", named_acc}});
    QCOMPARE(zip_entry_path::entries(zip), (QStringList{zip + "/b.CSV", zip + "/notes.txt", zip + "/a.csv"}));
    QVERIFY(zip_entry_path::exists(zip + "/a.csv"));
    QVERIFY(zip_entry_path::exists(zip));
    QVERIFY(!zip_entry_path::exists(zip + "/README.md")); // not a data entry
    QVERIFY(!zip_entry_path::exists(zip + "/c.csv"));
    QVERIFY(!zip_entry_path::exists(dir.path()));

    const QByteArray bytes = zip_of({{"a.csv", named_acc}}, dir.path() + "/scratch.zip");
    dir.write("cut.zip", bytes.left(bytes.size() - 10));
    dir.write("plain.zip", named_acc);
    QVERIFY(zip_entry_path::entries(dir.path() + "/cut.zip").isEmpty());
    QVERIFY(zip_entry_path::entries(dir.path() + "/plain.zip").isEmpty());
    QVERIFY(zip_entry_path::entries(dir.path() + "/none.zip").isEmpty());
    QVERIFY(!zip_entry_path::exists(dir.path() + "/cut.zip/a.csv"));
}

void test_zip_package::entry_reads_like_the_plain_file()
{
    QByteArray acc = fixed_acc;
    for (int i = 0; i < 3000; ++i)
        acc += "1,2,2014-05-02 11:00:00.000,10,XYZ,1 2 3 " + QByteArray::number(i) + " 5 6\n";
    const QString zip =
        write_zip(dir.path("pkg.zip"), {{"first-gps.csv", named_gps}, {"data/stork-acc.csv", acc}});
    dir.write("plain_acc.txt", acc);
    dir.write("plain-gps.csv", named_gps);
    captured<eobs_acc_loader> from_zip(zip + "/data/stork-acc.csv");
    eobs_acc_loader plain(dir.path() + "/plain_acc.txt", &from_zip.progress);
    QCOMPARE(from_zip.status, ELS_SUCCESS);
    QCOMPARE(plain.status, ELS_SUCCESS);
    QCOMPARE(from_zip.space->entry_count(), 3002);
    QCOMPARE(from_zip.space->total_sample_count(), plain.space->total_sample_count());
    for (qint32 i = 0; i < plain.space->entry_count(); ++i) {
        const burst& a = *from_zip.space->entry(i).burst;
        const burst& b = *plain.space->entry(i).burst;
        QCOMPARE(a.start_timestamp, b.start_timestamp);
        QCOMPARE(a.x, b.x);
        QCOMPARE(a.y, b.y);
        QCOMPARE(a.z, b.z);
    }
    // The same reader took both.
    const QStringList succeeded = from_zip.streams.stderr_lines().filter("succeeded");
    QCOMPARE(succeeded.size(), 2);
    QCOMPARE(succeeded[0], succeeded[1]);

    eobs_gps_loader gps(zip + "/first-gps.csv", &from_zip.progress);
    QCOMPARE(gps.status, ELS_SUCCESS);
    QCOMPARE(gps.space->events().size(), std::size_t(2));
    QCOMPARE(gps.space->events()[1]->latitude, 47.35);
}

void test_zip_package::entry_progress_counts_its_unpacked_bytes()
{
    QByteArray acc = named_acc;
    while (acc.size() < 3 << 20)
        acc += "2014-05-02 10:00:00.000,XYZ,10,1 2 3 4 5 6 7 8 9\n";
    const QString zip = write_zip(dir.path("pkg.zip"), {{"other.csv", named_gps}, {"stork-acc.csv", acc}});
    captured<eobs_acc_loader> chain(zip + "/stork-acc.csv");
    QCOMPARE(chain.status, ELS_SUCCESS);
    QVERIFY(chain.progress.bytes.size() >= 3);
    for (int i = 0; i < chain.progress.bytes.size(); ++i) {
        QCOMPARE(chain.progress.bytes[i].second, qint64(acc.size()));
        QVERIFY(i == 0 || chain.progress.bytes[i].first > chain.progress.bytes[i - 1].first);
    }
    QCOMPARE(chain.progress.bytes.last().first, qint64(acc.size()));

    // Cancelled inside the entry: nothing is kept.
    recording_progress cancelling;
    cancelling.cancel_after_polls = 5;
    eobs_acc_loader cancelled(zip + "/stork-acc.csv", &cancelling);
    QCOMPARE(cancelled.status, ELS_CANCELLED);
    QVERIFY(!cancelled.space);
}

void test_zip_package::entry_failures_are_clear_data()
{
    QByteArray acc = fixed_acc;
    for (int i = 0; i < 5000; ++i)
        acc += "1,2,2014-05-02 11:00:00.000,10,XYZ,1 2 3 " + QByteArray::number(i) + " 5 6\n";
    const QByteArray packed =
        zip_of({{"a-gps.csv", named_gps}, {"a-acc.csv", acc}}, dir.path() + "/scratch.zip");
    QByteArray flipped = packed;
    // Inside the second entry's compressed data.
    flipped[packed.size() / 2] = static_cast<char>(flipped[packed.size() / 2] ^ 0x55);
    add_columns<QByteArray, QString, QString>("content", "entry", "reason");
    const QString damaged = "Can't read file: the archive is damaged or incomplete (";
    add_row("no such entry", packed, "b-acc.csv", "Can't read file: the archive holds no file \"b-acc.csv\"");
    add_row("cut", packed.left(packed.size() - 10), "a-acc.csv", damaged + "Not a zip archive)");
    add_row("entry data damaged", flipped, "a-acc.csv", damaged);
    add_row("not an archive", acc, "a-acc.csv", damaged + "Not a zip archive)");
    // A name that points outside the archive refuses the whole archive, whichever entry is asked for.
    for (const QByteArray& name :
         {QByteArray("../evil_acc.txt"), QByteArray("/tmp/evil_acc.txt"), QByteArray("d\\evil.csv")})
        add_row(name.constData(), zip_of({{"a-acc.csv", acc}, {name, acc}}, dir.path() + "/scratch.zip"),
                "a-acc.csv",
                "Can't read file: the archive \"" + dir.path() + "/pkg.zip\" holds an entry named \"" + name +
                    "\", which points outside the archive; nothing of it is read");
}

void test_zip_package::entry_failures_are_clear()
{
    auto [content, entry, reason] = fetch<QByteArray, QString, QString>("content", "entry", "reason");
    dir.write("pkg.zip", content);
    captured<eobs_acc_loader> chain(dir.path() + "/pkg.zip/" + entry);
    QCOMPARE(chain.status, ELS_READ_FAILED);
    QVERIFY(!chain.space);
    QVERIFY2(chain.reason.startsWith(reason), qPrintable(chain.reason));
    if (reason.contains("outside"))
        QCOMPARE(zip_package(dir.path() + "/pkg.zip").refusal, reason);
}

void test_zip_package::package_entries_found_data()
{
    add_columns<QStringList, QList<QByteArray>, QString, QString>("names", "contents", "acc", "gps");
    const QByteArray gps = fixed_gps();
    // By name: the pair's names decide, whatever the headers and the order.
    add_row("named csv pair", QStringList{"README.txt", "s-gps.csv", "s-acc.csv"},
            QList<QByteArray>{"read me", named_gps, named_acc}, "s-acc.csv", "s-gps.csv");
    add_row("archive named like a pair file", QStringList{"s-gps.csv", "s-acc.csv"},
            QList<QByteArray>{named_gps, named_acc}, "s-acc.csv", "s-gps.csv");
    add_row("named txt pair in a folder", QStringList{"d/x_acc.txt", "d/x_gps.txt"},
            QList<QByteArray>{fixed_acc, gps}, "d/x_acc.txt", "d/x_gps.txt");
    // By header.
    add_row("fixed layouts", QStringList{"one.csv", "two.csv"}, QList<QByteArray>{gps, fixed_acc}, "two.csv",
            "one.csv");
    add_row("named layouts", QStringList{"notes.txt", "b.csv", "a.csv"},
            QList<QByteArray>{"notes\n", named_acc, named_gps}, "b.csv", "a.csv");
    add_row("both sensors in one", QStringList{"notes.txt", "study.csv"}, QList<QByteArray>{"notes\n", mixed},
            "study.csv", "study.csv");
    add_row("separate files before the mixed one", QStringList{"study.csv", "g.csv", "a.csv"},
            QList<QByteArray>{mixed, named_gps, named_acc}, "a.csv", "g.csv");
    add_row("acceleration only", QStringList{"a.csv", "b.csv"}, QList<QByteArray>{named_acc, fixed_acc},
            "a.csv", "");
    add_row("one entry", QStringList{"s-acc.csv"}, QList<QByteArray>{named_acc}, "", "");
    // The head of an entry, read in steps of 4 KiB, reaches its header's end, in UTF-16 too, where
    // the code unit 0x010a holds a newline byte.
    const QString utf16 = QString(2100, 'x') + QChar(0x010a) + QString(3000, 'y') + "," + named_gps;
    add_row("header past 4 KiB, UTF-16", QStringList{"a.csv", "b.csv"},
            QList<QByteArray>{"x" + QByteArray(5000, 'y') + "," + named_acc,
                              "\xff\xfe" +
                                  QByteArray(reinterpret_cast<const char*>(utf16.utf16()), 2 * utf16.size())},
            "a.csv", "b.csv");
}

void test_zip_package::package_entries_found()
{
    auto [names, contents, acc, gps] =
        fetch<QStringList, QList<QByteArray>, QString, QString>("names", "contents", "acc", "gps");
    QList<QPair<QByteArray, QByteArray>> entries;
    for (int i = 0; i < names.size(); ++i)
        entries << qMakePair(names[i].toUtf8(), contents[i]);
    const QString zip = write_zip(
        dir.path(QTest::currentDataTag() == QByteArray("archive named like a pair file") ? "s-acc.csv.zip"
                                                                                         : "pkg.zip"),
        entries);
    streams_capture streams;
    const zip_package package(zip);
    QCOMPARE(package.entries.size(), names.size() - names.filter(".md").size());
    QCOMPARE(package.several(), names.size() > 1);
    QCOMPARE(package.acc, acc.isEmpty() ? QString() : zip + "/" + acc);
    QCOMPARE(package.gps, gps.isEmpty() ? QString() : zip + "/" + gps);
}

void test_zip_package::package_search_reports_and_cancels()
{
    const QString zip = write_zip(dir.path("pkg.zip"), {{"a.csv", named_acc}, {"b.csv", named_gps}, {"c.csv", mixed}});
    QList<QPair<int, int>> steps;
    streams_capture streams;
    const zip_package package(zip, [&](int done, int total) {
        steps << qMakePair(done, total);
        return done < 1;
    });
    QCOMPARE(steps, (QList<QPair<int, int>>{{0, 3}, {1, 3}}));
    QVERIFY(package.cancelled);
    QVERIFY(package.acc.isEmpty() && package.gps.isEmpty());
    QCOMPARE(package.entries.size(), 3);
}

QTEST_GUILESS_MAIN(test_zip_package)
#include "test_zip_package.moc"

// Which export a file is, by the readers' header checks; the bytes-read reports of the readers and
// the percentage the load runnable makes of them.
#include "data/load/eobs_loader.h"
#include "data/formats/header_sniff.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/load/load_job.h"
#include "data/io/loader_wrong_header.h"
#include "support/acc_layouts.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <sys/stat.h>

using namespace test_support;

namespace {

// Fixed-layout acceleration lines, about 60 bytes each.
QByteArray acc_lines(int count)
{
    QByteArray out;
    out.reserve(count * 64);
    for (int i = 0; i < count; ++i)
        out += "1,2,2014-05-02 13:" + QByteArray::number(10 + i % 50) + ":00.000,10,XYZ,100 2000 4000 110\n";
    return out;
}

QByteArray gps_fixed_lines(int count)
{
    QByteArray out;
    for (int i = 0; i < count; ++i)
        out +=
            "1,2,2014-05-02 10:00:00.000,8.5,47.2,55,3,A,40,2014-05-02 10:01:00.000,3.9,3.8,21,0.1,90,1,12\n";
    return out;
}

// A runnable to call the progress interface on directly.
class plain_runnable : public load_job
{
public:
    plain_runnable() : load_job(load_plan(), std::make_shared<std::atomic_bool>(false)) {}
    void run() override {}
};

} // namespace

class test_file_kind_and_progress : public QObject
{
    Q_OBJECT

private slots:
    void kind_by_header_data();
    void kind_by_header();
    void kind_of_what_is_not_a_readable_file();
    void readers_report_bytes_after_the_header_up_to_the_size();
    void percentage_rises_and_reaches_100_data();
    void percentage_rises_and_reaches_100();
    void percentage_is_limited_to_20_a_second();
    void pair_load_names_each_file_and_rises_to_100_for_each();

private:
    temp_folder dir;
};

void test_file_kind_and_progress::kind_by_header_data()
{
    add_columns<QByteArray, int>("content", "kind");
    add_row("acceleration, fixed header", acc_fixed_header + "\n" + acc_lines(2),
            int(header_sniff::acceleration));
    add_row("acceleration, eobs_ columns", acc_mbd_header + "\n", int(header_sniff::acceleration));
    add_row("GPS, fixed header", QByteArray(loader_gps_eobsmb::header) + "\n" + gps_fixed_lines(2),
            int(header_sniff::gps));
    add_row("GPS, eobs_ header 1", QByteArray(loader_gps_mbd::header_1) + "\n", int(header_sniff::gps));
    add_row("GPS, eobs_ header 2", QByteArray(loader_gps_mbd::header_2) + "\r\n", int(header_sniff::gps));
    add_row("GPS, eobs_ header 3", QByteArray(loader_gps_mbd::header_3), int(header_sniff::gps));
    add_row("acceleration header with a column missing",
            acc_fixed_header.left(acc_fixed_header.lastIndexOf(',')) + "\n", int(header_sniff::neither));
    add_row("GPS header with one more column", QByteArray(loader_gps_mbd::header_3) + ",x\n",
            int(header_sniff::neither));
    add_row("notes", QByteArray("this,is\nnot,an export\n"), int(header_sniff::neither));
    add_row("empty", QByteArray(), int(header_sniff::neither));
}

void test_file_kind_and_progress::kind_by_header()
{
    auto [content, kind] = fetch<QByteArray, int>("content", "kind");
    const QString path = dir.write(QTest::currentDataTag() + QString(".csv"), content);
    streams_capture streams;
    QCOMPARE(int(header_sniff::of_file(path).fixed_kind()), kind);
    QVERIFY(streams.stderr_text().startsWith("header check of " + path + "\n"));
}

void test_file_kind_and_progress::kind_of_what_is_not_a_readable_file()
{
    QCOMPARE(header_sniff::of_file(dir.path() + "/missing_acc.txt").fixed_kind(), header_sniff::neither);
    QVERIFY(QDir(dir.path()).mkdir("folder_acc.txt"));
    QCOMPARE(header_sniff::of_file(dir.path() + "/folder_acc.txt").fixed_kind(), header_sniff::neither);
    // A pipe is refused without opening it: opening would block until a writer comes.
    const QString pipe = dir.path() + "/pipe_acc.txt";
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(header_sniff::of_file(pipe).fixed_kind(), header_sniff::neither);
}

void test_file_kind_and_progress::readers_report_bytes_after_the_header_up_to_the_size()
{
    // About 3.5 MB: several 1 MB chunks.
    const QByteArray content = acc_fixed_header + "\n" + acc_lines(60000);
    const QString path = dir.write("big_acc.txt", content);
    recording_progress progress;
    loader_eobsmb reader(path, &progress);
    QCOMPARE(int(reader.bursts().size()), 60000);
    const qint64 size = content.size();
    QVERIFY(progress.bytes.size() >= 3);
    qint64 previous = 0;
    for (const auto& report : progress.bytes) {
        QCOMPARE(report.second, size);
        QVERIFY(report.first > previous);
        previous = report.first;
    }
    // The first chunk, read before the header was accepted, is not reported; the end is.
    QVERIFY(progress.bytes.first().first > (1 << 20));
    QCOMPARE(progress.bytes.last().first, size);

    // A header the reader refuses reports nothing.
    recording_progress refused;
    QVERIFY_EXCEPTION_THROWN(loader_gps_eobsmb(path, &refused), loader_wrong_header);
    QVERIFY(refused.bytes.isEmpty());
}

void test_file_kind_and_progress::percentage_rises_and_reaches_100_data()
{
    add_columns<QList<qint64>, QList<int>>("reads", "percentages");
    // A 1000-byte file; reports far apart in time, so none is held back.
    add_row("rising", QList<qint64>{100, 255, 999, 1000}, QList<int>{10, 25, 99, 100});
    add_row("same percentage once", QList<qint64>{100, 105, 109, 1000}, QList<int>{10, 100});
    add_row("never falls", QList<qint64>{500, 400, 1000}, QList<int>{50, 100});
    add_row("beyond the size is 100", QList<qint64>{1200}, QList<int>{100});
    add_row("below one percent", QList<qint64>{5, 1000}, QList<int>{0, 100});
}

void test_file_kind_and_progress::percentage_rises_and_reaches_100()
{
    auto [reads, percentages] = fetch<QList<qint64>, QList<int>>("reads", "percentages");
    plain_runnable runnable;
    QSignalSpy spy(&runnable, &load_job::percent_read);
    runnable.loader_progress_set_file("a.csv");
    for (qint64 read : reads) {
        runnable.loader_progress_bytes(read, 1000);
        QTest::qWait(int(load_job::min_percent_interval_ms) + 10);
    }
    QList<int> got;
    for (const auto& args : spy)
        got << args.at(0).toInt();
    QCOMPARE(got, percentages);
    // An unknown size gives no percentage.
    runnable.loader_progress_set_file("pipe");
    runnable.loader_progress_bytes(10, 0);
    QCOMPARE(spy.size(), percentages.size());
}

void test_file_kind_and_progress::percentage_is_limited_to_20_a_second()
{
    plain_runnable runnable;
    QSignalSpy spy(&runnable, &load_job::percent_read);
    runnable.loader_progress_set_file("a.csv");
    // 99 rising reports at once: the first goes out, the rest wait for the interval, 100 always goes.
    for (qint64 read = 1; read <= 100; ++read)
        runnable.loader_progress_bytes(read, 100);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy.at(0).at(0).toInt(), 1);
    QCOMPARE(spy.at(1).at(0).toInt(), 100);
    // The next file starts again from its own first report.
    runnable.loader_progress_set_file("b.csv");
    runnable.loader_progress_bytes(30, 100);
    QCOMPARE(spy.size(), 3);
    QCOMPARE(spy.at(2).at(0).toInt(), 30);
}

void test_file_kind_and_progress::pair_load_names_each_file_and_rises_to_100_for_each()
{
    const QString acc = dir.write("pair_acc.txt", acc_fixed_header + "\n" + acc_lines(40000));
    const QString gps =
        dir.write("pair_gps.txt", QByteArray(loader_gps_eobsmb::header) + "\n" + gps_fixed_lines(30000));
    load_plan plan;
    plan.acc_file = acc;
    plan.gps_file = gps;
    auto* runnable = new load_job(plan, std::make_shared<std::atomic_bool>(false));
    runnable->setAutoDelete(false);
    // Texts and percentages in the order the GUI thread receives them.
    QStringList events;
    connect(runnable, &load_job::text_changed, this, [&](const QString& t) { events << t; });
    connect(runnable, &load_job::percent_read, this, [&](int p) { events << QString::number(p); });
    load_result* result = nullptr;
    connect(runnable, &load_job::finished_with_result, this, [&](load_result* r, bool) { result = r; });
    QThreadPool pool;
    pool.start(runnable);
    QTRY_VERIFY_WITH_TIMEOUT(result, 20000);
    pool.waitForDone();
    QTest::qWait(10);
    std::unique_ptr<load_result> owned(result);
    QCOMPARE(owned->acc->status, ELS_SUCCESS);
    QCOMPARE(owned->gps->status, ELS_SUCCESS);
    delete runnable;

    const int acc_text = events.indexOf("loading acceleration data file...\npair_acc.txt");
    QCOMPARE(events.value(0), QString("loading gps data file...\npair_gps.txt"));
    QVERIFY2(acc_text > 1, qPrintable(events.join('|')));
    for (const auto& part : {events.mid(1, acc_text - 1), events.mid(acc_text + 1)}) {
        QVERIFY(!part.isEmpty());
        int previous = -1;
        for (const QString& p : part) {
            QVERIFY2(p.toInt() > previous, qPrintable(events.join('|')));
            previous = p.toInt();
        }
        QCOMPARE(part.last(), QString("100"));
    }
}

QTEST_MAIN(test_file_kind_and_progress)
#include "test_file_kind_and_progress.moc"

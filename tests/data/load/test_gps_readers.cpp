// Both GPS readers and the two loader chains: headers, quality test, skipped lines, log lines,
// cancellation, failed reads and the order of the chain's attempts.
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/model/event_space.h"
#include "data/model/fix_range.h"
#include "data/io/loader_cancelled.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/io/loader_read_failed.h"
#include "data/io/loader_wrong_header.h"
#include "support/in_memory.h"
#include "support/acc_layouts.h"
#include "support/number_pieces.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "support/data_table.h"
#include "support/read_capture.h"

#include <QTest>
#include <QTextStream>

#include <cmath>
#include <cstring>
#include <stdexcept>

using namespace test_support;

namespace {

const QByteArray mbd_1 = loader_gps_mbd::header_1;
const QByteArray mbd_2 = loader_gps_mbd::header_2;
const QByteArray mbd_3 = loader_gps_mbd::header_3;
const QByteArray fixed_header_gps = loader_gps_eobsmb::header;

// A data line for the given header, with the five read columns set and filler elsewhere.
QByteArray line_for(const QByteArray& header, const QByteArray& time, const QByteArray& lon,
                    const QByteArray& lat, const QByteArray& type, const QByteArray& status)
{
    const bool is_fixed = header == fixed_header_gps;
    QList<QByteArray> names = header.split(',');
    QList<QByteArray> fields;
    bool time_done = false;
    for (const QByteArray& name : names) {
        if (name == (is_fixed ? "longitude" : "location_long"))
            fields << lon;
        else if (name == (is_fixed ? "latitude" : "location_lat"))
            fields << lat;
        else if (name == (is_fixed ? "timestamp-of-fix" : "timestamp") && !time_done) {
            fields << time;
            time_done = true;
        } else if (name == (is_fixed ? "type-of-fix" : "eobs_type_of_fix"))
            fields << type;
        else if (name == (is_fixed ? "status" : "eobs_status"))
            fields << status;
        else if (name == "timestamp" || name == "start-timestamp" || name == "eobs_start_timestamp")
            fields << "2001-01-01 00:00:00.000";
        else
            fields << "7";
    }
    return fields.join(',');
}

QByteArray good(const QByteArray& header, const QByteArray& time = "2014-05-02 13:00:00.000",
                const QByteArray& lon = "8.5", const QByteArray& lat = "47.25")
{
    return line_for(header, time, lon, lat, "3", "A");
}

} // namespace

class test_gps_readers : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.valid()); }

    void mbd_headers_accepted_data();
    void mbd_headers_accepted();
    void mbd_header_near_misses_data();
    void mbd_header_near_misses();
    void fixed_header_and_near_miss();
    void quoting_per_layout_data();
    void quoting_per_layout();
    void failed_fixes_counted_and_dropped_in_order();
    void empty_line_and_wrong_field_counts_skipped();
    void header_only_gives_empty_space();
    void skipped_lines_listed_up_to_a_thousand();
    void overlong_line_skipped();
    void cancel_before_first_line();
    void missing_file_is_a_failed_read();
    void bad_numbers_read_as_zero();
    void coordinates_read_as_qt_reads_them_data();
    void coordinates_read_as_qt_reads_them();
    void coordinates_of_generated_pieces_read_as_qt_reads_them();
    void guarded_chains_turn_any_exception_into_a_failed_read();

    void acc_chain_fixed_layout();
    void acc_chain_mbd_layout();
    void chain_unknown_layout();
    void chain_cancelled_during_second_reader();
    void chain_missing_file();
    void gps_chain_both_layouts();
    void gps_chain_unknown_and_cancelled();

private:
    temp_folder dir;
};

void test_gps_readers::mbd_headers_accepted_data()
{
    add_columns<QByteArray, int>("header", "fields");
    add_row("header 1", mbd_1, 20);
    add_row("header 2", mbd_2, 22);
    add_row("header 3", mbd_3, 19);
}

void test_gps_readers::mbd_headers_accepted()
{
    auto [header, fields] = fetch<QByteArray, int>("header", "fields");
    const QString path = dir.write(
        "gps.csv", header + "\n" + good(header, "2014-05-02 13:00:00.000", "-3.5", "51.125") + "\n");
    test_support::captured<loader_gps_mbd> reader(path);
    QCOMPARE(reader.events().size(), size_t(1));
    const gps_event& e = *reader.events()[0];
    QCOMPARE(e.timestamp, qint64(1399035600000));
    QCOMPARE(e.longitude, -3.5);
    QCOMPARE(e.latitude, 51.125);
    QCOMPARE(reader.streams.stdout_lines(),
             (QStringList{QString("header fields: %1").arg(fields), "lines: 2",
                          "count_quality_check_failed: 0", "good gps events: 1"}));
    QVERIFY(reader.streams.stderr_text().isEmpty());
}

void test_gps_readers::mbd_header_near_misses_data()
{
    QTest::addColumn<QByteArray>("header");
    add_row("one column more", mbd_1 + ",extra");
    add_row("one column less", mbd_3.left(mbd_3.lastIndexOf(',')));
    QByteArray swapped = mbd_1;
    swapped.replace("location_lat,location_long", "location_long,location_lat");
    add_row("other order", swapped);
    add_row("trailing blank", mbd_2 + " ");
    add_row("fixed layout", fixed_header_gps);
    add_row("empty", QByteArray());
}

void test_gps_readers::mbd_header_near_misses()
{
    QFETCH(QByteArray, header);
    const QString path = dir.write("gps.csv", header + "\n" + good(mbd_1) + "\n");
    recording_progress progress;
    streams_capture streams;
    QVERIFY_EXCEPTION_THROWN(loader_gps_mbd(path, &progress), loader_wrong_header);
    QVERIFY(streams.stdout_text().isEmpty());
}

void test_gps_readers::fixed_header_and_near_miss()
{
    recording_progress progress;
    streams_capture streams;
    loader_gps_eobsmb reader(
        dir.write("gps.csv", fixed_header_gps + "\r\n" + good(fixed_header_gps) + "\r\n"), &progress);
    QCOMPARE(reader.events().size(), size_t(1));
    QCOMPARE(reader.events()[0]->latitude, 47.25);
    QVERIFY(streams.stdout_text().startsWith("header fields: 17\n"));
    QVERIFY_EXCEPTION_THROWN(loader_gps_eobsmb(in_memory(mbd_1 + "\n"), &progress), loader_wrong_header);
    QVERIFY_EXCEPTION_THROWN(loader_gps_eobsmb(in_memory(fixed_header_gps + ",x\n"), &progress),
                             loader_wrong_header);
}

void test_gps_readers::quoting_per_layout_data()
{
    add_columns<bool, QByteArray, QByteArray, bool>("mbd", "type", "status", "accepted");
    add_row("mbd quoted status passes", true, QByteArray("3"), QByteArray("\"A\""), true);
    add_row("mbd quoted type fails", true, QByteArray("\"3\""), QByteArray("A"), false);
    add_row("fixed_header_gps quoted status fails", false, QByteArray("3"), QByteArray("\"A\""), false);
    add_row("fixed_header_gps quoted type fails", false, QByteArray("\"3\""), QByteArray("A"), false);
    add_row("lower-case status fails", true, QByteArray("3"), QByteArray("a"), false);
    add_row("type 2 fails", false, QByteArray("2"), QByteArray("A"), false);
    add_row("status V fails", true, QByteArray("3"), QByteArray("V"), false);
}

void test_gps_readers::quoting_per_layout()
{
    auto [mbd, type, status, accepted] =
        fetch<bool, QByteArray, QByteArray, bool>("mbd", "type", "status", "accepted");
    const QByteArray header = mbd ? mbd_1 : fixed_header_gps;
    const QString path = dir.write(
        "gps.csv", header + "\n" + line_for(header, "2014-05-02 13:00:00.000", "1", "2", type, status));
    recording_progress progress;
    streams_capture streams;
    std::unique_ptr<gps_csv_reader> reader;
    if (mbd)
        reader = std::make_unique<loader_gps_mbd>(path, &progress);
    else
        reader = std::make_unique<loader_gps_eobsmb>(path, &progress);
    QCOMPARE(reader->events().size(), size_t(accepted ? 1 : 0));
    QVERIFY(
        streams.stdout_text().contains(QString("count_quality_check_failed: %1\n").arg(accepted ? 0 : 1)));
}

void test_gps_readers::failed_fixes_counted_and_dropped_in_order()
{
    const QByteArray h = mbd_3;
    const QString path = dir.write("gps.csv", h + "\n" + good(h, "2014-05-02 13:00:00.000", "1") + "\n" +
                                                  line_for(h, "2014-05-02 12:00:00.000", "2", "0", "2", "A") +
                                                  "\n" + good(h, "2014-05-02 11:00:00.000", "3") + "\n" +
                                                  line_for(h, "2014-05-02 10:00:00.000", "4", "0", "3", "V") +
                                                  "\n" + good(h, "2014-05-02 09:00:00.000", "5") + "\n");
    test_support::captured<loader_gps_mbd> reader(path);
    QCOMPARE(reader.events().size(), size_t(3));
    QCOMPARE(reader.events()[0]->longitude, 1.0);
    QCOMPARE(reader.events()[1]->longitude, 3.0);
    QCOMPARE(reader.events()[2]->longitude, 5.0);
    QVERIFY(reader.events()[0]->timestamp > reader.events()[1]->timestamp);
    QVERIFY(reader.streams.stdout_text().endsWith(
        "lines: 6\ncount_quality_check_failed: 2\ngood gps events: 3\n"));
    QVERIFY(reader.progress.values.isEmpty());
    QVERIFY(reader.progress.texts.isEmpty());
    // Polled once per line and once after the loop.
    QCOMPARE(reader.progress.polls, 6);
}

void test_gps_readers::empty_line_and_wrong_field_counts_skipped()
{
    const QString path =
        dir.write("gps.csv", fixed_header_gps + "\n" + good(fixed_header_gps) + "\n\n" +
                                 good(fixed_header_gps) + ",extra\n" + good(fixed_header_gps) + "\n");
    test_support::captured<loader_gps_eobsmb> reader(path);
    QCOMPARE(reader.events().size(), size_t(2));
    QCOMPARE(reader.streams.stdout_lines(),
             (QStringList{"header fields: 17", "skip line 2 with wrong number of fields 1",
                          "skip line 3 with wrong number of fields 18", "lines: 5",
                          "count_quality_check_failed: 0", "good gps events: 2"}));
}

void test_gps_readers::skipped_lines_listed_up_to_a_thousand()
{
    const QString path = dir.write("gps.csv", fixed_header_gps + "\n" + QByteArray(1500, '\n') +
                                                  good(fixed_header_gps) + "\n");
    test_support::captured<loader_gps_eobsmb> reader(path);
    QCOMPARE(reader.events().size(), size_t(1));
    QStringList expected{"header fields: 17"};
    for (int line = 1; line <= 1000; ++line)
        expected << QString("skip line %1 with wrong number of fields 1").arg(line);
    expected << "skipped 1500 lines in all; only the first 1000 are listed"
             << "lines: 1502"
             << "count_quality_check_failed: 0"
             << "good gps events: 1";
    QCOMPARE(reader.streams.stdout_lines(), expected);
}

void test_gps_readers::overlong_line_skipped()
{
    const QByteArray head = mbd_3 + "\n" + good(mbd_3) + "\n";
    const QByteArray tail = "\n" + good(mbd_3, "2014-05-02 14:00:00.000") + "\n";
    const qint64 hole = qint64(268435456) + 1; // NUL bytes without a line end, one over the bound
    const QString path = dir.write_with_hole("long.csv", head, hole, tail);
    test_support::captured<loader_gps_mbd> reader(path);
    QCOMPARE(reader.events().size(), size_t(2));
    QCOMPARE(reader.events()[1]->timestamp, qint64(1399039200000));
    QCOMPARE(reader.streams.stdout_lines(),
             (QStringList{"header fields: 19", "skip line 2 longer than 268435456 bytes", "lines: 4",
                          "count_quality_check_failed: 0", "good gps events: 2"}));
}

void test_gps_readers::header_only_gives_empty_space()
{
    test_support::captured<loader_gps_mbd> reader(in_memory(mbd_2 + "\n"));
    QVERIFY(reader.events().empty());
    event_space space(reader.events());
    QVERIFY(space.events().empty());
    QCOMPARE(space.bounds().min_longitude, 1.7976931348623157e308);
    QVERIFY(reader.streams.stdout_text().contains("lines: 1\n"));
}

void test_gps_readers::cancel_before_first_line()
{
    recording_progress progress;
    progress.cancel_after_polls = 0;
    streams_capture streams;
    QVERIFY_EXCEPTION_THROWN(loader_gps_mbd(in_memory(mbd_1 + "\n" + good(mbd_1) + "\n"), &progress),
                             loader_cancelled);
    QCOMPARE(streams.stdout_lines(), (QStringList{"header fields: 20", "loader was cancelled!"}));
}

void test_gps_readers::missing_file_is_a_failed_read()
{
    recording_progress progress;
    streams_capture streams;
    try {
        loader_gps_eobsmb reader(dir.path() + "/nothing-here.csv", &progress);
        QFAIL("a missing file must not read as an empty success");
    } catch (const loader_read_failed& failure) {
        QVERIFY2(failure.reason().startsWith("Can't open file"), qPrintable(failure.reason()));
        QVERIFY(!failure.reason().contains('\n'));
    }
}

void test_gps_readers::bad_numbers_read_as_zero()
{
    recording_progress progress;
    streams_capture streams;
    loader_gps_eobsmb reader(
        dir.write("gps.csv",
                  fixed_header_gps + "\n" + good(fixed_header_gps, "not a time", "east", "") + "\n"),
        &progress);
    QCOMPARE(reader.events().size(), size_t(1));
    QCOMPARE(reader.events()[0]->longitude, 0.0);
    QCOMPARE(reader.events()[0]->latitude, 0.0);
}

void test_gps_readers::coordinates_read_as_qt_reads_them_data()
{
    QTest::addColumn<QByteArray>("text");
    for (const char* text :
         {"9.0587213", "-71.1234567", "-0.0", "0", "180", "47.000000000001", "123456789.012345",
          "1234567890.1234567", "0.1234567890123456789", "5.", ".5", "1e2", "-", "+3.5", "1.2.3", "0x10",
          "-90", "90.0000001", "1e308", "-1e308", "inf", "nan"})
        add_row(text, QByteArray(text));
}

// The short path for plain coordinates must give exactly what Qt's own reading gives.
void test_gps_readers::coordinates_read_as_qt_reads_them()
{
    QFETCH(QByteArray, text);
    recording_progress progress;
    streams_capture streams;
    loader_gps_eobsmb reader(
        dir.write("gps.csv", fixed_header_gps + "\n" +
                                 good(fixed_header_gps, "2014-05-02 13:00:00.000", text, text) + "\n"),
        &progress);
    const double expected = QString::fromLatin1(text).toDouble();
    // A position off the earth is left out and counted; the others read as Qt reads them.
    const bool placed = fix_range::placed(expected, expected);
    QCOMPARE(reader.events().size(), size_t(placed));
    QCOMPARE(reader.left_out().off_the_earth, qint64(!placed));
    if (!placed)
        return;
    QCOMPARE(std::signbit(reader.events()[0]->longitude), std::signbit(expected));
    QVERIFY(reader.events()[0]->longitude == expected);
    QVERIFY(reader.events()[0]->latitude == expected);
}

// Every number piece of the acceleration readers' differential check, as longitude and latitude of
// one file, reads to the bits of QString::toDouble on the text as a text stream decodes it.
void test_gps_readers::coordinates_of_generated_pieces_read_as_qt_reads_them()
{
    QByteArray content = fixed_header_gps + "\n";
    QStringList texts;
    for (const QByteArray& piece : odd_pieces()) {
        if (piece.contains(',') || piece.contains('\n') || piece.contains('\r'))
            continue;
        QTextStream stream(
            QByteArray("0," + piece + "\n")); // the locale's codec, as for a file without a mark
        const QString text = stream.readLine().mid(2);
        if (!fix_range::placed(text.toDouble(), text.toDouble()))
            continue;
        texts << text;
        content += good(fixed_header_gps, "2014-05-02 13:00:00.000", piece, piece) + "\n";
    }
    test_support::captured<loader_gps_eobsmb> reader(in_memory(content));
    QCOMPARE(reader.events().size(), static_cast<std::size_t>(texts.size()));
    QVERIFY(texts.size() > 2900);
    for (int i = 0; i < texts.size(); ++i) {
        const double expected = texts[i].toDouble();
        for (const double got : {reader.events()[static_cast<std::size_t>(i)]->longitude,
                                 reader.events()[static_cast<std::size_t>(i)]->latitude})
            QVERIFY2(std::memcmp(&got, &expected, sizeof got) == 0 ||
                         (std::isnan(got) && std::isnan(expected)),
                     qPrintable(QString("'%1': %2 vs QString %3")
                                    .arg(texts[i])
                                    .arg(got, 0, 'g', 17)
                                    .arg(expected, 0, 'g', 17)));
    }
}

// A failure the chains do not expect (here thrown by the progress) becomes a failed read that names
// it; without one, guarded gives the chain's own outcome.
void test_gps_readers::guarded_chains_turn_any_exception_into_a_failed_read()
{
    struct throwing_progress : recording_progress
    {
        void loader_progress_set_text(const QString&) override { throw std::runtime_error("disk on fire"); }
    } throwing;
    streams_capture streams;
    const QString gps = dir.write("gps.csv", fixed_header_gps + "\n" + good(fixed_header_gps) + "\n");
    const auto acc_failed = eobs_acc_loader::guarded(dir.write("acc.csv", "x"), &throwing);
    const auto gps_failed = eobs_gps_loader::guarded(gps, &throwing);
    QCOMPARE(acc_failed->status, ELS_READ_FAILED);
    QCOMPARE(gps_failed->status, ELS_READ_FAILED);
    QVERIFY(!acc_failed->space);
    QVERIFY(!gps_failed->space);
    QCOMPARE(acc_failed->reason, QString("Can't load file: disk on fire"));
    QCOMPARE(gps_failed->reason, QString("Can't load file: disk on fire"));

    recording_progress progress;
    const auto loaded = eobs_gps_loader::guarded(gps, &progress);
    QCOMPARE(loaded->status, ELS_SUCCESS);
    QCOMPARE(loaded->space->events().size(), size_t(1));
    QCOMPARE(loaded->reason, QString());
}

void test_gps_readers::acc_chain_fixed_layout()
{
    const QString path =
        dir.write("acc.csv", acc_fixed_header + "\n1,2,2014-05-02 13:00:00.000,10,XYZ,1 2 3 4 5 6\n");
    test_support::captured<eobs_acc_loader> chain(path);
    QCOMPARE(chain.status, ELS_SUCCESS);
    QVERIFY(chain.space);
    QCOMPARE(chain.space->entry_count(), 1);
    QCOMPARE(chain.progress.texts, QStringList{"loading acceleration data file..."});
    const QStringList err = chain.streams.stderr_lines();
    QCOMPARE(err, (QStringList{"try to load with loader_eobsmb", "header fields: 6", "lines: 1",
                               " loader_eobsmb succeeded", "total sample count: 2", "total burst count: 1",
                               "begin timestamp: 1399035600000", "end timestamp: 1399035600000"}));
    QVERIFY(!chain.streams.stderr_text().contains("loader_mbd"));
}

void test_gps_readers::acc_chain_mbd_layout()
{
    const QString path =
        dir.write("acc.csv", acc_mbd_bare_header + "\n2014-05-02 13:00:00.000,10,XYZ,1 2 3\n");
    test_support::captured<eobs_acc_loader> chain(path);
    QCOMPARE(chain.status, ELS_SUCCESS);
    QCOMPARE(chain.space->total_sample_count(), 1);
    const QStringList chain_lines = chain.streams.stderr_lines().filter("load");
    QCOMPARE(chain_lines, (QStringList{"try to load with loader_eobsmb", " loader_eobsmb failed",
                                       "try to load with loader_mbd", " loader_mbd succeeded"}));
}

void test_gps_readers::chain_unknown_layout()
{
    const QString path = dir.write("acc.csv", "name,value\nx,1\n");
    test_support::captured<eobs_acc_loader> chain(path);
    QCOMPARE(chain.status, ELS_WRONG_HEADER);
    QVERIFY(!chain.space);
    const QStringList chain_lines = chain.streams.stderr_lines().filter("load");
    QCOMPARE(chain_lines, (QStringList{"try to load with loader_eobsmb", " loader_eobsmb failed",
                                       "try to load with loader_mbd", " loader_mbd failed",
                                       "try to load with loader_named_acc", " loader_named_acc failed"}));
}

void test_gps_readers::chain_cancelled_during_second_reader()
{
    QByteArray content = acc_mbd_bare_header + "\n";
    for (int i = 0; i < 20; ++i)
        content += "2014-05-02 13:00:00.000,10,XYZ,1 2 3\n";
    recording_progress progress;
    progress.cancel_after_polls = 5; // the fixed_header_gps-header reader rejects the header without polling
    streams_capture streams;
    eobs_acc_loader chain(dir.write("acc.csv", content), &progress);
    QCOMPARE(chain.status, ELS_CANCELLED);
    QVERIFY(!chain.space);
    QVERIFY(streams.stderr_text().contains("try to load with loader_mbd\n"));
    QVERIFY(streams.stderr_text().endsWith(" loader_eobsmb cancelled\n"));
    QVERIFY(!streams.stderr_text().contains("total sample count"));
}

void test_gps_readers::chain_missing_file()
{
    test_support::captured<eobs_acc_loader> acc(dir.path() + "/gone_acc.txt");
    QCOMPARE(acc.status, ELS_READ_FAILED);
    QVERIFY(!acc.space);
    QVERIFY(acc.reason.startsWith("Can't open file"));
    // The second reader is not tried on a file that cannot be read at all.
    QVERIFY(!acc.streams.stderr_text().contains("try to load with loader_mbd"));
    eobs_gps_loader gps(dir.path() + "/gone_gps.txt", &acc.progress);
    QCOMPARE(gps.status, ELS_READ_FAILED);
    QVERIFY(gps.reason.startsWith("Can't open file"));
}

void test_gps_readers::gps_chain_both_layouts()
{
    {
        recording_progress progress;
        streams_capture streams;
        eobs_gps_loader chain(dir.write("gps.csv", fixed_header_gps + "\n" + good(fixed_header_gps) + "\n"),
                              &progress);
        QCOMPARE(chain.status, ELS_SUCCESS);
        QCOMPARE(chain.space->events().size(), size_t(1));
        QCOMPARE(progress.texts, QStringList{"loading gps data file..."});
        QCOMPARE(streams.stderr_lines(),
                 (QStringList{"try to load with loader_gps_eobsmb", " loader_gps_eobsmb succeeded"}));
    }
    {
        recording_progress progress;
        streams_capture streams;
        eobs_gps_loader chain(dir.write("gps.csv", mbd_2 + "\n" + good(mbd_2) + "\n" + good(mbd_2) + "\n"),
                              &progress);
        QCOMPARE(chain.status, ELS_SUCCESS);
        QCOMPARE(chain.space->events().size(), size_t(2));
        QCOMPARE(streams.stderr_lines(),
                 (QStringList{"try to load with loader_gps_eobsmb", " loader_gps_eobsmb failed",
                              "try to load with loader_gps_mbd", " loader_gps_mbd succeeded"}));
    }
}

void test_gps_readers::gps_chain_unknown_and_cancelled()
{
    {
        test_support::captured<eobs_gps_loader> chain(dir.write("gps.csv", "a,b\n1,2\n"));
        QCOMPARE(chain.status, ELS_WRONG_HEADER);
        QVERIFY(!chain.space);
        QCOMPARE(chain.streams.stderr_lines(),
                 (QStringList{"try to load with loader_gps_eobsmb", " loader_gps_eobsmb failed",
                              "try to load with loader_gps_mbd", " loader_gps_mbd failed",
                              "try to load with loader_named_gps", " loader_named_gps failed"}));
    }
    {
        recording_progress progress;
        progress.cancel_after_polls = 1;
        streams_capture streams;
        eobs_gps_loader chain(dir.write("gps.csv", mbd_1 + "\n" + good(mbd_1) + "\n" + good(mbd_1) + "\n"),
                              &progress);
        QCOMPARE(chain.status, ELS_CANCELLED);
        QVERIFY(!chain.space);
        QVERIFY(streams.stderr_text().endsWith(" loader_gps_eobsmb cancelled\n"));
    }
}

QTEST_GUILESS_MAIN(test_gps_readers)
#include "test_gps_readers.moc"

// The named-column readers (acceleration and GPS): spellings, column orders, quoting, animals,
// mixed sensors, skipped lines, cancellation, the loader chains, and gzip-compressed files.
#include "data/model/burst.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/model/animal_pairing.h"
#include "data/model/event_space.h"
#include "data/io/loader_cancelled.h"
#include "data/formats/loader_mbd.h"
#include "data/formats/loader_named_acc.h"
#include "data/formats/loader_named_gps.h"
#include "data/io/loader_read_failed.h"
#include "data/io/memory_budget.h"
#include "data/io/loader_wrong_header.h"
#include "support/acc_layouts.h"
#include "support/download_layouts.h"
#include "support/in_memory.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "support/zip_writer.h"
#include "support/data_table.h"
#include "support/read_capture.h"

#include <QDateTime>
#include <QTest>

#include <zlib.h>

#include <algorithm>
#include <functional>

namespace {

using test_support::captured;
using test_support::recording_progress;
using test_support::streams_capture;
using test_support::zip_of;

// gzip of content, written as members of at most member_size bytes each.
QByteArray gzip(const QByteArray& content, int member_size = 1 << 30)
{
    QByteArray out;
    for (int at = 0; at == 0 || at < content.size(); at += member_size) {
        const QByteArray part = content.mid(at, member_size);
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        QByteArray buffer(static_cast<int>(deflateBound(&z, static_cast<uLong>(part.size()))) + 64, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(part.constData()));
        z.avail_in = static_cast<uInt>(part.size());
        z.next_out = reinterpret_cast<Bytef*>(buffer.data());
        z.avail_out = static_cast<uInt>(buffer.size());
        deflate(&z, Z_FINISH);
        out += buffer.left(static_cast<int>(z.total_out));
        deflateEnd(&z);
    }
    return out;
}

QString burst_text(const burst& b)
{
    QStringList values;
    for (qint32 n = 0; n < b.sample_count; ++n)
        values << QString("%1/%2/%3").arg(b.x[n]).arg(b.y[n]).arg(b.z[n]);
    return QString("%1 %2Hz %3")
        .arg(b.start_timestamp)
        .arg(b.sampling_frequency_per_axis)
        .arg(values.join(' '));
}

QStringList bursts_text(const std::vector<std::unique_ptr<burst>>& bursts)
{
    QStringList out;
    for (const auto& b : bursts)
        out << burst_text(*b);
    return out;
}

QString fix_text(const gps_event& e)
{
    return QString("%1 %2 %3").arg(e.timestamp).arg(e.longitude, 0, 'g', 17).arg(e.latitude, 0, 'g', 17);
}

const qint64 t0 = 1399035600000; // 2014-05-02 13:00:00.000 UTC

} // namespace

class test_named_readers : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.valid()); }
    void acc_spellings_and_orders_data();
    void acc_spellings_and_orders();
    void acc_quoting();
    void acc_header_without_needed_columns_refused_data();
    void acc_header_without_needed_columns_refused();
    void acc_animals_grouped_in_order_of_first_row();
    void acc_malformed_rows_skipped_with_message();
    void unusable_times_repaired_or_skipped_and_counted();
    void acc_reads_like_the_eobs_reader();
    void long_raw_fields_read_in_full_data();
    void long_raw_fields_read_in_full();
    void acc_sample_limit_and_cancel();
    void gps_spellings_and_quality();
    void gps_without_quality_columns_takes_every_position();
    void mixed_sensor_file_read_by_both();
    void chains_fall_back_to_named_readers();
    void chain_refuses_unknown_file_after_three_readers();
    void acc_chain_keeps_every_animal();
    void many_animals_group_and_pair();
    void samples_per_row_join_into_bursts_data();
    void samples_per_row_join_into_bursts();
    void samples_per_row_of_two_animals_and_other_sensors();
    void gzip_reads_as_plain_data();
    void gzip_reads_as_plain();
    void gzip_damaged_or_truncated_is_a_clear_failure_data();
    void gzip_damaged_or_truncated_is_a_clear_failure();
    void gzip_past_the_memory_budget_is_refused_data();
    void gzip_past_the_memory_budget_is_refused();
    void zip_reads_its_first_text_entry();
    void zip_without_text_entry_or_damaged_is_a_clear_failure_data();
    void zip_without_text_entry_or_damaged_is_a_clear_failure();

private:
    temp_folder dir;
};

void test_named_readers::acc_spellings_and_orders_data()
{
    QTest::addColumn<QByteArray>("content");
    add_row("colon-hyphen",
            QByteArray("event-id,timestamp,eobs:start-timestamp,eobs:acceleration-axes,eobs:acceleration-"
                       "sampling-frequency-"
                       "per-axis,"
                       "eobs:accelerations-raw,individual-local-identifier\n"
                       "1,2014-05-02 13:00:00.000,2014-05-02 13:00:00.000,XYZ,20,1 2 3 4 5 6,A1\n"
                       "2,2014-05-02 13:10:00.000,2014-05-02 13:10:00.500,XYZ,20,-7 8.5 9 10 11 12,A1\n"));
    add_row("dotted, other order",
            QByteArray("eobs.accelerations.raw,eobs.acceleration.axes,study.name,eobs.start.timestamp,"
                       "eobs.acceleration.sampling.frequency.per.axis\n"
                       "1 2 3 4 5 6,XYZ,storks,2014-05-02 13:00:00.000,20\n"
                       "-7 8.5 9 10 11 12,XYZ,storks,2014-05-02 13:10:00.500,20\n"));
    add_row(
        "underscore, quoted, crlf",
        QByteArray(
            "\"eobs_acceleration_sampling_frequency_per_axis\",\"eobs_start_timestamp\",\"comments\","
            "\"eobs_acceleration_axes\",\"eobs_accelerations_raw\"\r\n"
            "\"20\",\"2014-05-02 13:00:00.000\",\"a, b\",\"XYZ\",\"1 2 3 4 5 6\"\r\n"
            "\"20\",\"2014-05-02 13:10:00.500\",\"say \"\"hi\"\", then\",\"XYZ\",\"-7 8.5 9 10 11 12\"\r\n"));
    add_row("timestamp only, upper case names",
            QByteArray("TIMESTAMP,EOBS:ACCELERATION-AXES,EOBS:ACCELERATION-SAMPLING-FREQUENCY-PER-AXIS,EOBS:"
                       "ACCELERATIONS-RAW\n"
                       "2014-05-02 13:00:00.000,XYZ,20,1 2 3 4 5 6\n"
                       "2014-05-02 13:10:00.500,XYZ,20,-7 8.5 9 10 11 12\n"));
    // The repository's other spellings of a time ("Z" below): no fraction or a longer one, "T", an offset.
    add_row("ISO 8601", QByteArray("timestamp,eobs:acceleration-axes,eobs:acceleration-sampling-frequency-"
                                   "per-axis,eobs:accelerations-raw\n2014-05-02 13:00:00,XYZ,20,1 2 3 4 5 "
                                   "6\n2014-05-02T15:10:00.5009+02:00,XYZ,20,-7 8.5 9 10 11 12\n"));
}

void test_named_readers::acc_spellings_and_orders()
{
    QFETCH(QByteArray, content);
    captured<loader_named_acc> read(test_support::in_memory(content));
    QCOMPARE(bursts_text(read.bursts()),
             (QStringList{QString("%1 20Hz 1/2/3 4/5/6").arg(t0),
                          QString("%1 20Hz -7/8.5/9 10/11/12").arg(t0 + 600500)}));
    QCOMPARE(read.progress.values, (QList<qint32>{0, 1}));
    QCOMPARE(read.animals().size(), std::size_t(1));
    QVERIFY(read.streams.stdout_lines().contains("lines: 2"));
}

void test_named_readers::acc_quoting()
{
    // The quoted comment holds commas and doubled quotes; numbers and axes come quoted or not.
    const QByteArray content = "eobs:start-timestamp,comments,eobs:acceleration-axes,"
                               "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n"
                               "2014-05-02 13:00:00.000,\"x, \"\"y\"\", z\",\"XY\",\"10.5\",\"1 2 3 4\"\n"
                               "\"2014-05-02 13:00:01.000\",\"\",ZX,10,5 6\n";
    captured<loader_named_acc> read(test_support::in_memory(content));
    QCOMPARE(bursts_text(read.bursts()), (QStringList{QString("%1 10.5Hz 1/2/0 3/4/0").arg(t0),
                                                      QString("%1 10Hz 6/0/5").arg(t0 + 1000)}));
}

void test_named_readers::acc_header_without_needed_columns_refused_data()
{
    QTest::addColumn<QByteArray>("header");
    add_row("no raw", QByteArray("eobs:start-timestamp,eobs:acceleration-axes,"
                                 "eobs:acceleration-sampling-frequency-per-axis"));
    add_row("no axes", QByteArray("eobs:start-timestamp,eobs:accelerations-raw,"
                                  "eobs:acceleration-sampling-frequency-per-axis"));
    add_row("no frequency", QByteArray("eobs:start-timestamp,eobs:accelerations-raw,eobs:acceleration-axes"));
    add_row("no time", QByteArray("eobs:accelerations-raw,eobs:acceleration-axes,"
                                  "eobs:acceleration-sampling-frequency-per-axis"));
    add_row("other separator",
            QByteArray("eobs/start/timestamp,eobs:accelerations-raw,eobs:acceleration-axes,"
                       "eobs:acceleration-sampling-frequency-per-axis"));
    add_row("empty file", QByteArray());
}

void test_named_readers::acc_header_without_needed_columns_refused()
{
    QFETCH(QByteArray, header);
    recording_progress progress;
    streams_capture streams;
    QVERIFY_EXCEPTION_THROWN(loader_named_acc(test_support::in_memory(header + "\n1,2,3,4\n"), &progress),
                             loader_wrong_header);
    QCOMPARE(progress.polls, 0);
}

void test_named_readers::acc_animals_grouped_in_order_of_first_row()
{
    const QByteArray content = "individual-local-identifier,tag-local-identifier,eobs:start-timestamp,"
                               "eobs:acceleration-axes,eobs:acceleration-sampling-frequency-per-axis,"
                               "eobs:accelerations-raw\n"
                               "\"Bo, \"\"the\"\" stork\",1001,2014-05-02 13:00:00.000,XYZ,10,1 1 1\n"
                               ",1002,2014-05-02 13:00:00.000,XYZ,10,2 2 2\n"
                               "\"Bo, \"\"the\"\" stork\",1001,2014-05-02 13:00:01.000,XYZ,10,3 3 3\n"
                               "Cleo,1003,2014-05-02 13:00:02.000,XYZ,10,4 4 4\n"
                               ",1002,2014-05-02 13:00:03.000,XYZ,10,5 5 5\n";
    captured<loader_named_acc> read(test_support::in_memory(content));
    auto& animals = read.animals();
    QCOMPARE(animals.size(), std::size_t(3));
    QCOMPARE(animals[0].id, QString("Bo, \"the\" stork"));
    QCOMPARE(animals[1].id, QString("1002")); // no individual: the tag
    QCOMPARE(animals[2].id, QString("Cleo"));
    QCOMPARE(bursts_text(animals[0].items),
             (QStringList{QString("%1 10Hz 1/1/1").arg(t0), QString("%1 10Hz 3/3/3").arg(t0 + 1000)}));
    QCOMPARE(bursts_text(animals[1].items),
             (QStringList{QString("%1 10Hz 2/2/2").arg(t0), QString("%1 10Hz 5/5/5").arg(t0 + 3000)}));
    QCOMPARE(bursts_text(animals[2].items), (QStringList{QString("%1 10Hz 4/4/4").arg(t0 + 2000)}));
    QCOMPARE(read.progress.values, (QList<qint32>{0, 1, 2, 3, 4}));
    QVERIFY(read.streams.stdout_lines().contains("animals: 3"));
}

void test_named_readers::acc_malformed_rows_skipped_with_message()
{
    const QByteArray content =
        "eobs:start-timestamp,comments,eobs:acceleration-axes,"
        "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n"
        "2014-05-02 13:00:00.000,a, b,XYZ,10,1 2 3\n"       // unquoted comma: 6 fields
        "2014-05-02 13:00:00.000,\"unclosed,XYZ,10,1 2 3\n" // runs to the end: 2 fields
        "\n"
        "2014-05-02 13:00:00.000,\"ok\",XYZ,10,7 8 9\n";
    captured<loader_named_acc> read(test_support::in_memory(content));
    QCOMPARE(bursts_text(read.bursts()), (QStringList{QString("%1 10Hz 7/8/9").arg(t0)}));
    QCOMPARE(
        read.streams.stdout_lines().filter("skip"),
        (QStringList{"skip line 2 with wrong number of fields 6", "skip line 3 with wrong number of fields 2",
                     "skip line 4 with wrong number of fields 1"}));
}

void test_named_readers::unusable_times_repaired_or_skipped_and_counted()
{
    recording_progress progress;
    streams_capture streams;
    loader_named_acc bursts(
        dir.write("timestamp,eobs:acceleration-axes,eobs:acceleration-sampling-frequency-per-axis,"
                  "eobs:accelerations-raw\nn/a,XYZ,20,1 2 3\n2014-05-02T13:00:00Z,XYZ,20,4 5 6\n"
                  "1970-01-01 00:00:00.000,XYZ,20,7 8 9\n"),
        &progress);
    loader_named_acc samples(dir.write("timestamp,acceleration-x,acceleration-y,acceleration-z\n2014-05-02 "
                                       "13:00:00.000,1,1,1\nn/a,2,2,2\n2014-05-02 13:00:00.100,3,3,3\n"),
                             &progress);
    loader_named_gps fixes(dir.write("location-long,location-lat,timestamp\n1,2,n/a\n3,4,2014-05-02T13:00:00Z\n"
                                     "5,6,1970-01-01 00:00:00.000\n"),
                           &progress);
    QCOMPARE(bursts_text(bursts.bursts()) + bursts_text(samples.bursts()),
             QStringList({"%1 20Hz 1/2/3", "%1 20Hz 4/5/6", "%1 20Hz 7/8/9", "%1 10Hz 1/1/1 3/3/3"})
                 .replaceInStrings("%1", QString::number(t0)));
    QCOMPARE(fixes.events().size(), std::size_t(1));
    QCOMPARE(fix_text(*fixes.events()[0]), QString("%1 3 4").arg(t0));
    QCOMPARE(
        streams.stdout_lines().filter("1990-2100").join('|'),
        "start times unreadable or outside 1990-2100: 2 (each took the time of the previous readable line)|"
        "rows with a time unreadable or outside 1990-2100 skipped: 1|"
        "fixes with a time unreadable or outside 1990-2100 skipped: 2");
}

void test_named_readers::acc_reads_like_the_eobs_reader()
{
    // Without quotes, the "eobs_" reader is the reference: same bursts, value for value.
    QByteArray content = test_support::acc_mbd_event_header + "\n";
    const char* axes[] = {"XYZ", "X", "YZ", "ZYX", "", "X Y Z", "xyz"};
    const char* raws[] = {"1 2 3", "-1.5 2e3 .5 7", "", "0x10 1,5", "3.40282e+39 -0 1", "12345678901 2"};
    for (int i = 0; i < 60; ++i) {
        content += QByteArray::number(i) + "," + axes[i % 7] + "," + raws[i % 6] +
                   ",2014-05-02 13:00:" + QByteArray::number(10 + i % 50) + ".25," +
                   QByteArray::number(i % 4 * 2.5) + "\n";
    }
    const QString path = dir.write("in.csv", content);
    recording_progress p1, p2;
    streams_capture streams;
    loader_mbd reference(path, &p1);
    loader_named_acc named(path, &p2);
    QCOMPARE(bursts_text(named.bursts()), bursts_text(reference.bursts()));
    QCOMPARE(p2.values, p1.values);
}

void test_named_readers::long_raw_fields_read_in_full_data()
{
    // Raw fields around the length from which their pieces are counted before they are read (64 KiB).
    add_columns<int, QByteArray, QByteArray>("pieces", "axes", "blank");
    add_row("short", 300, QByteArray("XYZ"), QByteArray(" "));
    add_row("65,532 bytes, not counted", 10082, QByteArray("XYZ"), QByteArray(" "));
    add_row("65,538 bytes, counted", 10083, QByteArray("XYZ"), QByteArray(" "));
    add_row("long, one axis", 40000, QByteArray("Y"), QByteArray(" "));
    add_row("long, empty pieces between", 30000, QByteArray("ZX"), QByteArray("  "));
}

void test_named_readers::long_raw_fields_read_in_full()
{
    auto [pieces, axes, blank] = fetch<int, QByteArray, QByteArray>("pieces", "axes", "blank");
    // Pieces of six bytes, "-12345" and the like; between them one blank, or two with an empty piece.
    QByteArray raw;
    QList<float> values;
    for (int i = 0; i < pieces; ++i) {
        const int v = (i % 2 ? -1 : 1) * (10000 + i % 90000);
        raw += (i ? blank : QByteArray()) + QByteArray::number(v);
        if (i && blank.size() == 2)
            values << 0.f;
        values << static_cast<float>(v);
    }
    const QString path =
        dir.write("in.csv", "eobs_start_timestamp,eobs_acceleration_axes,"
                            "eobs_acceleration_sampling_frequency_per_axis,eobs_accelerations_raw\n"
                            "2014-05-02 13:00:00.000," +
                                axes + ",10," + raw + "\n2014-05-02 13:00:10.000,XYZ,10,1 2 3\n");
    recording_progress p1, p2;
    streams_capture streams;
    loader_mbd reference(path, &p1);
    loader_named_acc named(path, &p2);
    const int m = axes.size();
    for (const std::vector<std::unique_ptr<burst>>* bursts : {&reference.bursts(), &named.bursts()}) {
        QCOMPARE(bursts->size(), std::size_t(2));
        const burst& b = *bursts->front();
        QCOMPARE(b.sample_count, values.size() / m);
        // The first axis letter's values are pieces 0, m, 2m, ...; a missing axis reads as zeros.
        const sample_axis& first = axes[0] == 'X' ? b.x : axes[0] == 'Y' ? b.y : b.z;
        for (int n = 0; n < b.sample_count; ++n)
            QCOMPARE(first[static_cast<std::size_t>(n)], values[n * m]);
        if (m == 1)
            QVERIFY(std::all_of(b.x.begin(), b.x.end(), [](float v) { return v == 0.f; }));
        QCOMPARE(bursts->back()->x, std::vector<float>{1.f});
    }
    QCOMPARE(bursts_text(named.bursts()), bursts_text(reference.bursts()));
}

void test_named_readers::acc_sample_limit_and_cancel()
{
    const QByteArray content = "eobs:start-timestamp,eobs:acceleration-axes,"
                               "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n"
                               "2014-05-02 13:00:00.000,XYZ,10,1 2 3 4 5 6\n"
                               "2014-05-02 13:00:00.000,XYZ,10,1 2 3\n";
    const QString path = dir.write("in.csv", content);
    streams_capture streams;
    recording_progress fits, over, cancel;
    QCOMPARE(loader_named_acc(path, &fits, 3).bursts().size(), std::size_t(2));
    try {
        loader_named_acc reader(path, &over, 2);
        QFAIL("read past the sample limit");
    } catch (const loader_read_failed& failure) {
        QCOMPARE(failure.reason(), QString("Too many samples: the file holds more than 2 samples"));
    }
    cancel.cancel_after_polls = 1;
    QVERIFY_EXCEPTION_THROWN(loader_named_acc(path, &cancel), loader_cancelled);
    QCOMPARE(cancel.values, (QList<qint32>{0}));
    QVERIFY(streams.stdout_lines().contains("loader was cancelled!"));
}

void test_named_readers::gps_spellings_and_quality()
{
    const QByteArray content =
        "event-id,\"timestamp\",location-long,location-lat,eobs:type-of-fix,eobs:status,comments,"
        "individual-local-identifier\n"
        "1,2014-05-02 13:00:00.000,8.5,47.25,3,A,\"a, b\",Bo\n"
        "2,2014-05-02 13:00:05.000,\"8.75\",\"47.5\",3,\"A\",,Bo\n"
        "3,2014-05-02 13:00:10.000,9,48,2,A,,Bo\n"   // fix type 2: dropped
        "4,2014-05-02 13:00:15.000,9,48,3,V,,Cleo\n" // status V: dropped
        "5,2014-05-02 13:00:20.000,,,3,A,,Cleo\n"    // no position: dropped
        "6,2014-05-02 13:00:25.000,-1.125,0.5,3,A,,Cleo\n"
        "7,2014-05-02 13:00:30.000,1,2,3,A,Cleo\n"; // wrong field count: skipped
    captured<loader_named_gps> reader(test_support::in_memory(content));
    auto& animals = reader.animals();
    QCOMPARE(animals.size(), std::size_t(2));
    QCOMPARE(animals[0].id, QString("Bo"));
    QCOMPARE(animals[0].items.size(), std::size_t(2));
    QCOMPARE(fix_text(*animals[0].items[0]), QString("%1 8.5 47.25").arg(t0));
    QCOMPARE(fix_text(*animals[0].items[1]), QString("%1 8.75 47.5").arg(t0 + 5000));
    QCOMPARE(animals[1].id, QString("Cleo"));
    QCOMPARE(animals[1].items.size(), std::size_t(1));
    QCOMPARE(fix_text(*animals[1].items[0]), QString("%1 -1.125 0.5").arg(t0 + 25000));
    QCOMPARE(reader.events().size(), std::size_t(2));
    const QStringList lines = reader.streams.stdout_lines();
    QVERIFY(lines.contains("skip line 8 with wrong number of fields 7"));
    QVERIFY(lines.contains("count_quality_check_failed: 3"));
    QVERIFY(lines.contains("good gps events: 3"));
}

void test_named_readers::gps_without_quality_columns_takes_every_position()
{
    const QByteArray content = "location.lat,timestamp,location.long\n"
                               "47.25,2014-05-02 13:00:00.000,8.5\n"
                               "47.5,2014-05-02 13:00:05.000,8.75\n"
                               ",2014-05-02 13:00:10.000,\n";
    captured<loader_named_gps> reader(test_support::in_memory(content));
    QCOMPARE(reader.events().size(), std::size_t(2));
    QCOMPARE(fix_text(*reader.events()[1]), QString("%1 8.75 47.5").arg(t0 + 5000));
    QVERIFY(reader.streams.stdout_lines().contains("count_quality_check_failed: 1"));

    recording_progress refused;
    QVERIFY_EXCEPTION_THROWN(
        loader_named_gps(test_support::in_memory("location-long,timestamp\n1,2\n"), &refused),
        loader_wrong_header);
}

void test_named_readers::mixed_sensor_file_read_by_both()
{
    const QByteArray content =
        "timestamp,sensor-type,location-long,location-lat,eobs:acceleration-axes,"
        "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw,tag-local-identifier\n"
        "2014-05-02 13:00:00.000,gps,8.5,47.25,,,,77\n"
        "2014-05-02 13:00:01.000,acceleration,,,XYZ,10,1 2 3,77\n"
        "2014-05-02 13:00:02.000,accessory-measurements,1,2,XYZ,10,9 9 9,77\n"
        "2014-05-02 13:00:03.000,gps,8.75,47.5,,,,77\n";
    const QString path = dir.write("in.csv", content);
    recording_progress p1, p2;
    streams_capture streams;
    loader_named_acc acc(path, &p1);
    QCOMPARE(bursts_text(acc.bursts()), (QStringList{QString("%1 10Hz 1/2/3").arg(t0 + 1000)}));
    loader_named_gps gps(path, &p2);
    QCOMPARE(gps.events().size(), std::size_t(2));
    QCOMPARE(fix_text(*gps.events()[0]), QString("%1 8.5 47.25").arg(t0));
    QCOMPARE(fix_text(*gps.events()[1]), QString("%1 8.75 47.5").arg(t0 + 3000));
    QCOMPARE(gps.animals()[0].id, QString("77"));
}

void test_named_readers::chains_fall_back_to_named_readers()
{
    const QString acc_path =
        dir.write("acc.csv", "eobs:start-timestamp,eobs:acceleration-axes,"
                             "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n"
                             "2014-05-02 13:00:00.000,XYZ,10,1 2 3\n");
    captured<eobs_acc_loader> acc(acc_path);
    QCOMPARE(acc.status, ELS_SUCCESS);
    QVERIFY(acc.space);
    QCOMPARE(acc.streams.stderr_lines().filter("load"),
             (QStringList{"try to load with loader_eobsmb", " loader_eobsmb failed",
                          "try to load with loader_mbd", " loader_mbd failed",
                          "try to load with loader_named_acc", " loader_named_acc succeeded"}));

    const QString gps_path =
        dir.write("gps.csv", "location-long,location-lat,timestamp\n8.5,47.25,2014-05-02 13:00:00.000\n");
    streams_capture gps_streams;
    eobs_gps_loader gps(gps_path, &acc.progress);
    QCOMPARE(gps.status, ELS_SUCCESS);
    QVERIFY(gps.space);
    QVERIFY(gps_streams.stderr_text().endsWith(
        "try to load with loader_named_gps\n loader_named_gps succeeded\n"));
}

void test_named_readers::chain_refuses_unknown_file_after_three_readers()
{
    captured<eobs_gps_loader> gps(dir.write("in.csv", "name,value\nx,1\n"));
    QCOMPARE(gps.status, ELS_WRONG_HEADER);
    QVERIFY(!gps.space);
    QCOMPARE(gps.streams.stderr_lines().filter("load"),
             (QStringList{"try to load with loader_gps_eobsmb", " loader_gps_eobsmb failed",
                          "try to load with loader_gps_mbd", " loader_gps_mbd failed",
                          "try to load with loader_named_gps", " loader_named_gps failed"}));
}

void test_named_readers::acc_chain_keeps_every_animal()
{
    const QByteArray header = "tag-local-identifier,eobs:start-timestamp,eobs:acceleration-axes,"
                              "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n";
    const QString several = dir.write("in.csv", header + "7,2014-05-02 13:00:00.000,XYZ,10,1 2 3\n"
                                                         "8,2014-05-02 13:00:01.000,XYZ,10,1 2 3\n"
                                                         "7,2014-05-02 13:00:02.000,XYZ,10,1 2 3\n"
                                                         "9,2014-05-02 13:00:03.000,XYZ,10,1 2 3\n");
    captured<eobs_acc_loader> chain(several);
    QCOMPARE(chain.status, ELS_SUCCESS);
    QCOMPARE(chain.first_animal, QString("7"));
    QCOMPARE(chain.space->entry_count(), 2);
    QCOMPARE(chain.more_animals.size(), std::size_t(2));
    QCOMPARE(chain.more_animals[0].id, QString("8"));
    QCOMPARE(chain.more_animals[0].space->begin_timestamp(), t0 + 1000);
    QCOMPARE(chain.more_animals[1].id, QString("9"));
    QCOMPARE(chain.more_animals[1].space->entry_count(), 1);

    eobs_acc_loader one(dir.write("one.csv", header + "7,2014-05-02 13:00:00.000,XYZ,10,1 2 3\n"),
                        &chain.progress);
    QCOMPARE(one.status, ELS_SUCCESS);
    QVERIFY(one.more_animals.empty());
    QCOMPARE(one.first_animal, QString("7"));
}

void test_named_readers::many_animals_group_and_pair()
{
    // 300 animals whose rows take turns; fixes in reverse order, ten animals with fixes only first.
    QByteArray acc = test_support::named_acc_header + '\n';
    QByteArray gps = test_support::named_gps_header + '\n';
    for (const char* second : {"00", "01"})
        for (int i = 0; i < 300; ++i)
            acc += 'A' + QByteArray::number(i) + ",2014-05-02 13:00:" + second + ".000,XYZ,10,1 2 3\n";
    for (int i = 309; i >= 0; --i)
        gps += 'A' + QByteArray::number(i) + ",8.5,47.25,2014-05-02 13:00:00.000\n";
    captured<eobs_acc_loader> bursts(dir.write("herd-acc.csv", acc));
    eobs_gps_loader fixes(dir.write("herd-gps.csv", gps), &bursts.progress);
    animal_pairing pairing(bursts.take_animals(), fixes.take_animals());
    QCOMPARE(pairing.animals().size(), std::size_t(310));
    for (int i = 0; i < 310; ++i) {
        const animal_pairing::animal& a = pairing.animals()[static_cast<std::size_t>(i)];
        QCOMPARE(a.id, QString("A%1").arg(i < 300 ? i : 609 - i)); // fixes only: in GPS order
        QCOMPARE(a.bursts ? a.bursts->entry_count() : 0, i < 300 ? 2 : 0);
        QCOMPARE(a.fix_count(), 1);
    }
}

void test_named_readers::samples_per_row_join_into_bursts_data()
{
    // Sample times in ms after t0; the bursts expected as "offset:count@frequency".
    add_columns<QList<int>, QStringList>("times", "bursts");
    add_row("regular", QList<int>{0, 50, 100, 150}, QStringList{"0:4@20"});
    add_row("gap of 1.5 intervals stays", QList<int>{0, 100, 250}, QStringList{"0:3@8"});
    add_row("gap of more than 1.5 intervals splits", QList<int>{0, 100, 251, 351},
            QStringList{"0:2@10", "251:2@10"});
    add_row("irregular but within 1.5", QList<int>{0, 40, 100, 130}, QStringList{"0:4@23.0769"});
    add_row("more than 1 s splits", QList<int>{0, 1001, 2002}, QStringList{"0:1@1", "1001:1@1", "2002:1@1"});
    add_row("exactly 1 s joins", QList<int>{0, 1000, 2000}, QStringList{"0:3@1"});
    add_row("step back or repeat splits", QList<int>{0, 50, 50, 20},
            QStringList{"0:2@20", "50:1@1", "20:1@1"});
    add_row("new burst learns its own interval", QList<int>{0, 10, 20, 500, 600, 700},
            QStringList{"0:3@100", "500:3@10"});
}

void test_named_readers::samples_per_row_join_into_bursts()
{
    auto [times, bursts] = fetch<QList<int>, QStringList>("times", "bursts");
    QByteArray content = "timestamp,acceleration-raw-x,acceleration-raw-y,acceleration-raw-z\n";
    int n = 0;
    for (const int t : times) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(t0 + t, Qt::UTC);
        content += at.toString("yyyy-MM-dd hh:mm:ss.zzz").toLatin1() + "," + QByteArray::number(n) + "," +
                   QByteArray::number(-n) + ",\"" + QByteArray::number(n * 0.5) + "\"\n";
        ++n;
    }
    captured<loader_named_acc> read(test_support::in_memory(content));
    QStringList got;
    int sample = 0;
    for (const auto& b : read.bursts()) {
        got << QString("%1:%2@%3")
                   .arg(b->start_timestamp - t0)
                   .arg(b->sample_count)
                   .arg(b->sampling_frequency_per_axis);
        for (qint32 i = 0; i < b->sample_count; ++i, ++sample) {
            QCOMPARE(b->x[i], float(sample));
            QCOMPARE(b->y[i], float(-sample));
            QCOMPARE(b->z[i], float(sample * 0.5));
        }
    }
    QCOMPARE(got, bursts);
    QCOMPARE(sample, times.size());
    QCOMPARE(read.progress.values.size(), bursts.size());
}

void test_named_readers::samples_per_row_of_two_animals_and_other_sensors()
{
    const QByteArray content = "sensor-type,tag-local-identifier,timestamp,acceleration-x,acceleration-y,"
                               "acceleration-z\n"
                               "acceleration,1,2014-05-02 13:00:00.000,1,1,1\n"
                               "acceleration,2,2014-05-02 13:00:00.000,2,2,2\n"
                               "gps,1,2014-05-02 13:00:00.020,,,\n"
                               "acceleration,1,2014-05-02 13:00:00.100,3,3,3\n"
                               "acceleration,2,2014-05-02 13:00:00.050,4,4,4\n"
                               "acceleration,1,2014-05-02 13:00:00.200,5,5,5\n"
                               "acceleration,2,2014-05-02 13:00:05.000,6,6,6\n"
                               "acceleration,1,2014-05-02 13:00:00.300\n";
    captured<loader_named_acc> read(test_support::in_memory(content));
    auto& animals = read.animals();
    QCOMPARE(animals.size(), std::size_t(2));
    QCOMPARE(animals[0].id, QString("1"));
    QCOMPARE(bursts_text(animals[0].items), (QStringList{QString("%1 10Hz 1/1/1 3/3/3 5/5/5").arg(t0)}));
    QCOMPARE(animals[1].id, QString("2"));
    QCOMPARE(bursts_text(animals[1].items),
             (QStringList{QString("%1 20Hz 2/2/2 4/4/4").arg(t0), QString("%1 1Hz 6/6/6").arg(t0 + 5000)}));
    QVERIFY(read.streams.stdout_lines().contains("skip line 9 with wrong number of fields 3"));
}

void test_named_readers::gzip_reads_as_plain_data()
{
    add_columns<QByteArray, int>("content", "member_size");
    QByteArray big = "individual-local-identifier,eobs:start-timestamp,eobs:acceleration-axes,"
                     "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n";
    for (int i = 0; i < 40000; ++i)
        big += (i % 3 ? "\"Bo\"," : "Cleo,") + QByteArray("2014-05-02 13:00:00.000,XYZ,10,") +
               QByteArray::number(i) + " 2 3 -4 5.5 " + QByteArray::number(i % 7) + "\n";
    add_row("named, one member, 2 MB of text", big, (1 << 30));
    add_row("named, many members", big, 100000);
    add_row("eobs_ layout with a byte-order mark",
            QByteArray(
                "\xef\xbb\xbf"
                "eobs_start_timestamp,eobs_acceleration_axes,eobs_acceleration_sampling_frequency_per_axis,"
                "eobs_accelerations_raw\r\n2014-05-02 13:00:00.000,XYZ,10,1 2 3\r\n"),
            (1 << 30));
    add_row("named, members of seven bytes", big.left(3000), 7);
    add_row("named, text of exactly one read", big.left(1 << 20), (1 << 30));
    add_row("empty text", QByteArray(), (1 << 30));
    add_row("named, zero padding after the member", big, (1 << 30));
}

void test_named_readers::gzip_reads_as_plain()
{
    auto [content, member_size] = fetch<QByteArray, int>("content", "member_size");
    const QString plain = dir.write("plain.csv", content);
    const QByteArray padding(
        QTest::currentDataTag() == QByteArray("named, zero padding after the member") ? 700000 : 0, '\0');
    const QString packed = dir.write("packed.csv.gz", gzip(content, member_size) + padding);
    recording_progress p1, p2;
    streams_capture streams;
    eobs_acc_loader a(plain, &p1);
    eobs_acc_loader b(packed, &p2);
    QCOMPARE(b.status, a.status);
    QCOMPARE(b.reason, a.reason);
    if (a.status == ELS_SUCCESS) {
        QCOMPARE(b.space->entry_count(), a.space->entry_count());
        QVERIFY(a.space->entry_count() > 0);
        for (qint32 i = 0; i < a.space->entry_count(); ++i)
            QCOMPARE(burst_text(*b.space->entry(i).burst), burst_text(*a.space->entry(i).burst));
    }
    QCOMPARE(p2.values, p1.values);
}

void test_named_readers::gzip_damaged_or_truncated_is_a_clear_failure_data()
{
    QByteArray text = "eobs:start-timestamp,eobs:acceleration-axes,"
                      "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n";
    for (int i = 0; i < 5000; ++i)
        text += "2014-05-02 13:00:00.000,XYZ,10,1 2 3 " + QByteArray::number(i) + " 5 6\n";
    const QByteArray packed = gzip(text);
    QByteArray flipped = packed;
    flipped[packed.size() / 2] = static_cast<char>(flipped[packed.size() / 2] ^ 0x55);
    QByteArray bad_crc = packed;
    bad_crc[packed.size() - 6] = static_cast<char>(bad_crc[packed.size() - 6] ^ 0x01);
    add_columns<QByteArray, QString>("content", "reason");
    const QString truncated = "Can't read file: the compressed data ends early (truncated download?)";
    add_row("cut in half", packed.left(packed.size() / 2), truncated);
    add_row("trailer missing", packed.left(packed.size() - 4), truncated);
    add_row("magic only", QByteArray("\x1f\x8b"), truncated);
    add_row("damaged block", flipped, QString());
    add_row("wrong checksum", bad_crc,
            "Can't read file: the compressed data is damaged (incorrect data check)");
    add_row("a byte after zero padding", packed + QByteArray(100, '\0') + "x",
            "Can't read file: the compressed data is damaged (bytes after "
            "the zero padding)");
}

void test_named_readers::gzip_damaged_or_truncated_is_a_clear_failure()
{
    auto [content, reason] = fetch<QByteArray, QString>("content", "reason");
    captured<eobs_acc_loader> chain(dir.write("acc.csv.gz", content));
    QCOMPARE(chain.status, ELS_READ_FAILED);
    QVERIFY(!chain.space);
    if (reason.isEmpty()) // where a flipped byte is noticed depends on the block it hits
        QVERIFY2(chain.reason.startsWith("Can't read file: the compressed data "), qPrintable(chain.reason));
    else
        QCOMPARE(chain.reason, reason);
}

void test_named_readers::gzip_past_the_memory_budget_is_refused_data()
{
    // Ten bursts of 100 samples reserve 10 x (1200 + 256) bytes; ten regular one-sample rows make one
    // burst and reserve 10 x 24 + 256 bytes (a growing burst may hold twice its samples).
    QByteArray bursts = "eobs_start_timestamp,eobs_acceleration_axes,"
                        "eobs_acceleration_sampling_frequency_per_axis,eobs_accelerations_raw\n";
    QByteArray rows = "timestamp,acceleration-raw-x,acceleration-raw-y,acceleration-raw-z\n";
    for (int i = 0; i < 10; ++i) {
        bursts += "2014-05-02 13:00:0" + QByteArray::number(i) + ".000,XYZ,10," +
                  QByteArray(299, '7').replace("7", "7 ") + "7\n";
        rows += "2014-05-02 13:00:00." + QByteArray::number(1000 + i * 100).right(3) + ",1,2,3\n";
    }
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("packed");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("refused");
    QTest::newRow("bursts at the limit") << bursts << true << qint64(14560) << false;
    QTest::newRow("bursts a byte over") << bursts << true << qint64(14559) << true;
    QTest::newRow("one-sample rows at the limit") << rows << true << qint64(496) << false;
    QTest::newRow("one-sample rows a byte over") << rows << true << qint64(495) << true;
    QTest::newRow("a plain file has no limit") << bursts << false << qint64(1) << false;
}

void test_named_readers::gzip_past_the_memory_budget_is_refused()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, packed);
    QFETCH(qint64, limit);
    QFETCH(bool, refused);
    const QString path = dir.write(packed ? "acc.csv.gz" : "acc.csv", packed ? gzip(content) : content);
    recording_progress progress;
    streams_capture streams;
    memory_budget::set_bytes(limit);
    eobs_acc_loader chain(path, &progress);
    memory_budget::set_bytes(0);
    QCOMPARE(chain.status, refused ? ELS_READ_FAILED : ELS_SUCCESS);
    if (refused)
        QCOMPARE(chain.reason, QString("Can't read file: the samples unpacked from \"%1\" need more than 0 MB of "
                                       "memory, the limit for a compressed file (this machine has %2 MB)")
                                   .arg(path)
                                   .arg(memory_budget::physical_memory() / 1000000));
}

void test_named_readers::zip_reads_its_first_text_entry()
{
    QByteArray text = "eobs:start-timestamp,eobs:acceleration-axes,"
                      "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n";
    for (int i = 0; i < 20000; ++i)
        text += "2014-05-02 13:00:00.000,XYZ,10,1 2 3 " + QByteArray::number(i) + " 5 6\n";
    const QString plain = dir.write("plain.csv", text);
    const QString packed =
        dir.write("study-acc.csv.zip",
                  zip_of({{"README.md", "not this one"}, {"data/study-acc.CSV", text}, {"other.csv", "x\n"}},
                         dir.path() + "/scratch.zip"));
    recording_progress p1, p2;
    streams_capture streams;
    eobs_acc_loader a(plain, &p1);
    eobs_acc_loader b(packed, &p2);
    QCOMPARE(a.status, ELS_SUCCESS);
    QCOMPARE(b.status, ELS_SUCCESS);
    QCOMPARE(b.space->entry_count(), 20000);
    QCOMPARE(b.space->total_sample_count(), a.space->total_sample_count());
    QCOMPARE(b.space->entry(19999).burst->x[1], 19999.f);
}

void test_named_readers::zip_without_text_entry_or_damaged_is_a_clear_failure_data()
{
    QByteArray text = "eobs:start-timestamp,eobs:acceleration-axes,"
                      "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n";
    for (int i = 0; i < 5000; ++i)
        text += "2014-05-02 13:00:00.000,XYZ,10,1 2 3 " + QByteArray::number(i) + " 5 6\n";
    const QByteArray packed = zip_of({{"acc.csv", text}}, dir.path() + "/scratch.zip");
    QByteArray flipped = packed;
    flipped[packed.size() / 3] = static_cast<char>(flipped[packed.size() / 3] ^ 0x55);
    add_columns<QByteArray, QString>("content", "reason");
    const QString damaged = "Can't read file: the archive is damaged or incomplete (";
    add_row("no text entry", zip_of({{"a.md", "x"}, {"b.json", "{}"}}, dir.path() + "/scratch2.zip"),
            "Can't read file: the archive holds no .csv or .txt file");
    add_row("cut in half", packed.left(packed.size() / 2), damaged + "Not a zip archive)");
    add_row("central directory cut", packed.left(packed.size() - 10), damaged + "Not a zip archive)");
    add_row("entry data damaged", flipped, damaged);
    add_row("encrypted entry", zip_of({{"acc.csv", text}}, dir.path() + "/scratch3.zip", "secret"),
            "Can't read file: the entry \"acc.csv\" of the archive \"" + dir.path());
}

void test_named_readers::zip_without_text_entry_or_damaged_is_a_clear_failure()
{
    auto [content, reason] = fetch<QByteArray, QString>("content", "reason");
    captured<eobs_acc_loader> chain(dir.write("acc.csv.zip", content));
    QCOMPARE(chain.status, ELS_READ_FAILED);
    QVERIFY(!chain.space);
    QVERIFY2(chain.reason.startsWith(reason), qPrintable(chain.reason));
}

QTEST_GUILESS_MAIN(test_named_readers)
#include "test_named_readers.moc"

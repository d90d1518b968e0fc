// Both acceleration readers: headers, field rules, interleaving, log lines, progress, cancellation,
// line ends and byte-order marks, failed reads, and a differential check against a plain
// QTextStream reading of generated files.
#include "data/model/burst.h"
#include "data/formats/csv_field.h"
#include "data/io/loader_cancelled.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_mbd.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_read_failed.h"
#include "data/io/line_reader.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/parallel_lines.h"
#include "data/formats/start_time_repair.h"
#include "support/number_pieces.h"
#include "support/acc_layouts.h"
#include "support/burst_difference.h"
#include "support/in_memory.h"
#include "support/read_capture.h"
#include "support/temp_folder.h"
#include "support/data_table.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCodec>
#include <QTextStream>

#include <cmath>
#include <sys/stat.h>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

const QByteArray& fixed_header = test_support::acc_fixed_header;
const QByteArray& mbd_header = test_support::acc_mbd_header;
using test_support::acc_fixed_line;
using test_support::acc_mbd_line;
using test_support::in_memory;
using progress = test_support::recording_progress;
using test_support::streams_capture;

enum class reader_kind { eobsmb, mbd };

struct read_result : test_support::read_log
{
    std::vector<std::unique_ptr<burst>> bursts;
};

read_result run(reader_kind kind, const byte_input& path, int cancel_after_polls = -1,
                qint64 limit = acc_csv_reader::max_samples)
{
    read_result r;
    test_support::capture_read(cancel_after_polls, r, [&](progress& p) {
        if (kind == reader_kind::eobsmb) {
            loader_eobsmb reader(path, &p, limit);
            r.bursts = std::move(reader.bursts());
        } else {
            loader_mbd reader(path, &p, limit);
            r.bursts = std::move(reader.bursts());
        }
    });
    if (!r.texts.isEmpty())
        QTest::qFail("readers never set a text", __FILE__, __LINE__);
    return r;
}

std::vector<float> floats(std::initializer_list<float> v)
{
    return v;
}

bool same_bits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The straightforward reading with a text stream, QString::split and Qt's number and time parsers,
// as the readers must behave; used to check the byte-level readers on generated files.
read_result reference_read(reader_kind kind, const QString& path)
{
    read_result r;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("reference: cannot open");
    QTextStream in(&file);
    const QStringList header = in.readLine().split(',');
    int col[4];
    const char* const names[2][4] = {{"start-timestamp", "acceleration-sampling-frequency-per-axis",
                                      "acceleration-axes", "accelerations-raw"},
                                     {"eobs_start_timestamp", "eobs_acceleration_sampling_frequency_per_axis",
                                      "eobs_acceleration_axes", "eobs_accelerations_raw"}};
    for (int c = 0; c < 4; ++c) {
        col[c] = header.indexOf(names[kind == reader_kind::mbd][c]);
        if (col[c] < 0 || (kind == reader_kind::eobsmb && header.join(',') != QString(fixed_header))) {
            r.error = "wrong header";
            return r;
        }
    }
    struct line_values
    {
        qint64 ms;
        double frequency;
        int n;
        std::vector<float> v[3];
    };
    std::vector<line_values> lines;
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(',');
        if (f.size() != header.size())
            continue;
        const QString axes = csv_field::unquote(f[col[2]]);
        const int pos[3] = {axes.indexOf('X'), axes.indexOf('Y'), axes.indexOf('Z')};
        const int m = (pos[0] >= 0) + (pos[1] >= 0) + (pos[2] >= 0);
        if (m == 0)
            continue;
        const QDateTime t = QDateTime::fromString(f[col[0]], "yyyy-MM-dd hh:mm:ss.z");
        const qint64 ms = t.isValid() ? QDateTime(t.date(), t.time(), Qt::UTC).toMSecsSinceEpoch() : 0;
        const QStringList pieces = csv_field::unquote(f[col[3]]).split(' ');
        const int n = pieces.size() / m;
        std::vector<float> v[3];
        for (int a = 0; a < 3; ++a) {
            v[a].assign(static_cast<std::size_t>(n), 0.f);
            for (int k = 0; k < n && pos[a] >= 0; ++k) {
                const int i = k * m + pos[a];
                v[a][static_cast<std::size_t>(k)] = i < pieces.size() ? pieces[i].toFloat() : 0.f;
            }
        }
        lines.push_back({ms, f[col[1]].toDouble(), n, {v[0], v[1], v[2]}});
    }
    // Times outside 1990-01-01 .. 2100-12-31 (unparsable ones read 0) take the previous usable time;
    // those before the first usable one take that one, and 0 if there is none.
    const auto usable = [](qint64 ms) {
        return ms >= QDateTime(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch() &&
               ms < QDateTime(QDate(2101, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    };
    qint64 last = 0;
    for (const line_values& l : lines) {
        if (usable(l.ms)) {
            last = l.ms;
            break;
        }
    }
    for (line_values& l : lines) {
        if (usable(l.ms))
            last = l.ms;
        else
            l.ms = last;
        r.bursts.push_back(burst::make(l.ms, l.frequency, l.n, l.v[0], l.v[1], l.v[2]));
    }
    return r;
}

// Compares two readings burst by burst, bit for bit; returns a description of the first difference.
QString difference(const read_result& a, const read_result& b)
{
    if (a.error != b.error)
        return QString("error '%1' vs '%2'").arg(a.error, b.error);
    return test_support::burst_difference(a.bursts, b.bursts);
}

using test_support::odd_pieces;

} // namespace

class test_acc_readers : public QObject
{
    Q_OBJECT

private slots:
    void fixed_header_accepted();
    void fixed_header_near_misses_data();
    void fixed_header_near_misses();
    void mbd_header_any_order_among_other_columns();
    void mbd_header_missing_or_quoted_name();
    void header_only_and_empty_file();
    void interleaving_data();
    void interleaving();
    void quoting_per_field();
    void timestamps_data();
    void timestamps();
    void frequency_reading();
    void wrong_field_counts_data();
    void wrong_field_counts();
    void log_lines_and_progress();
    void cancel_before_first_line();
    void cancel_in_the_middle();
    void crlf_and_byte_order_mark_read_like_plain_files();
    void utf16_file_reads_like_the_text_stream();
    void utf16_file_cut_inside_a_character_skips_its_last_line();
    void missing_or_unopenable_file_is_a_failed_read();
    void too_many_samples_refused();
    void number_pieces_read_like_qstring();
    void generated_files_read_like_the_text_stream();

    void unusable_start_times_take_the_previous_usable_time_data();
    void unusable_start_times_take_the_previous_usable_time();
    void no_usable_start_time_reads_zero();
    void skipped_lines_listed_up_to_a_thousand();
    void overlong_line_skipped();
    void cancel_seen_inside_a_long_line();
    void special_files_refused_unread();
    void file_shrinking_while_read_fails();

private:
    temp_folder files_;
};

void test_acc_readers::fixed_header_accepted()
{
    const QString path =
        files_.write(fixed_header + "\n" +
                     acc_fixed_line("2014-05-02 13:00:00.000", "33.33", "XYZ", "1 2 3 4 5 6") + "\n");
    const read_result r = run(reader_kind::eobsmb, path);
    QCOMPARE(r.error, QString());
    QCOMPARE(r.bursts.size(), std::size_t(1));
    const burst& b = *r.bursts[0];
    QCOMPARE(b.start_timestamp, qint64(1399035600000));
    QCOMPARE(b.sampling_frequency_per_axis, 33.33);
    QCOMPARE(b.sample_count, 2);
    QCOMPARE(b.x, floats({1, 4}));
    QCOMPARE(b.y, floats({2, 5}));
    QCOMPARE(b.z, floats({3, 6}));
    QCOMPARE(r.err, QString("header fields: 6\nlines: 1\n"));
    QCOMPARE(r.out, QString());
    // The same file is not in the other layout.
    QCOMPARE(run(reader_kind::mbd, path).error, QString("wrong header"));
}

void test_acc_readers::fixed_header_near_misses_data()
{
    QTest::addColumn<QByteArray>("header");
    add_row("extra blank", QByteArray(fixed_header).replace(",start", ", start"));
    add_row("trailing blank", fixed_header + " ");
    add_row("trailing comma", fixed_header + ",");
    add_row("column order",
            QByteArray("key-bin-checksum,tag-serial-number,acceleration-sampling-frequency-per-axis,"
                       "start-timestamp,acceleration-axes,accelerations-raw"));
    add_row("case", QByteArray(fixed_header).replace("start-timestamp", "Start-timestamp"));
    add_row("quoted names", QByteArray("\"key-bin-checksum\",\"tag-serial-number\",\"start-timestamp\","
                                       "\"acceleration-sampling-frequency-per-axis\",\"acceleration-axes\","
                                       "\"accelerations-raw\""));
    add_row("eobs columns", mbd_header);
}

void test_acc_readers::fixed_header_near_misses()
{
    QFETCH(QByteArray, header);
    const read_result r =
        run(reader_kind::eobsmb,
            files_.write(header + "\n" + acc_fixed_line("2014-05-02 13:00:00.000", "1", "X", "1") + "\n"));
    QCOMPARE(r.error, QString("wrong header"));
    QCOMPARE(r.err, QString("header mismatch\n"));
    QCOMPARE(r.out, QString());
}

void test_acc_readers::mbd_header_any_order_among_other_columns()
{
    const QByteArray file = mbd_header + "\n" +
                            acc_mbd_line("2014-05-02 13:00:00.000", "20", "XYZ", "1 2 3") + "\n" +
                            acc_mbd_line("2014-05-02 13:10:00.000", "20", "XYZ", "4 5 6 7 8 9") + "\n";
    const read_result r = run(reader_kind::mbd, in_memory(file));
    QCOMPARE(r.error, QString());
    QCOMPARE(r.bursts.size(), std::size_t(2));
    QCOMPARE(r.bursts[1]->start_timestamp, qint64(1399035600000 + 600000));
    QCOMPARE(r.bursts[1]->z, floats({6, 9}));
    QCOMPARE(r.out, QString("header fields: 7\nlines: 2\n"));
    QCOMPARE(r.err, QString());

    // The first column of a repeated name is the one read.
    const QByteArray twice =
        "eobs_accelerations_raw,eobs_start_timestamp,eobs_acceleration_sampling_frequency_per_axis,"
        "eobs_acceleration_axes,eobs_accelerations_raw\n"
        "1 2,2014-05-02 13:00:00.000,10,X,9 9 9\n";
    const read_result t = run(reader_kind::mbd, in_memory(twice));
    QCOMPARE(t.bursts.size(), std::size_t(1));
    QCOMPARE(t.bursts[0]->x, floats({1, 2}));
}

void test_acc_readers::mbd_header_missing_or_quoted_name()
{
    const QByteArray no_axes =
        "eobs_start_timestamp,eobs_acceleration_sampling_frequency_per_axis,eobs_accelerations_raw\n"
        "2014-05-02 13:00:00.000,10,1 2 3\n";
    const read_result r = run(reader_kind::mbd, in_memory(no_axes));
    QCOMPARE(r.error, QString("wrong header"));
    QCOMPARE(r.out, QString("header fields: 3\n"));
    QCOMPARE(r.err, QString());

    const QByteArray quoted = "\"eobs_start_timestamp\",\"eobs_acceleration_sampling_frequency_per_axis\","
                              "\"eobs_acceleration_axes\",\"eobs_accelerations_raw\"\n"
                              "2014-05-02 13:00:00.000,10,X,1\n";
    QCOMPARE(run(reader_kind::mbd, in_memory(quoted)).error, QString("wrong header"));
    QCOMPARE(run(reader_kind::eobsmb, in_memory(quoted)).error, QString("wrong header"));
    // Case matters.
    QCOMPARE(
        run(reader_kind::mbd,
            files_.write(QByteArray(mbd_header).replace("eobs_acceleration_axes", "EOBS_acceleration_axes") +
                         "\n"))
            .error,
        QString("wrong header"));
}

void test_acc_readers::header_only_and_empty_file()
{
    const read_result header_only = run(reader_kind::eobsmb, in_memory(fixed_header));
    QCOMPARE(header_only.error, QString());
    QVERIFY(header_only.bursts.empty());
    QCOMPARE(header_only.err, QString("header fields: 6\nlines: 0\n"));

    const QString empty = files_.write("");
    const read_result e1 = run(reader_kind::eobsmb, empty);
    QCOMPARE(e1.error, QString("wrong header"));
    QCOMPARE(e1.err, QString("header mismatch\n"));
    const read_result e2 = run(reader_kind::mbd, empty);
    QCOMPARE(e2.error, QString("wrong header"));
    QCOMPARE(e2.out, QString("header fields: 1\n"));
}

void test_acc_readers::interleaving_data()
{
    add_columns<QByteArray, QByteArray, std::vector<float>, std::vector<float>, std::vector<float>>(
        "axes", "raw", "x", "y", "z");
    add_row("XYZ", QByteArray("XYZ"), QByteArray("1 2 3 4 5 6"), floats({1, 4}), floats({2, 5}),
            floats({3, 6}));
    add_row("XZ, fifth value ignored", QByteArray("XZ"), QByteArray("1 2 3 4 5"), floats({1, 3}),
            floats({0, 0}), floats({2, 4}));
    add_row("Y only", QByteArray("Y"), QByteArray("7 8 9"), floats({0, 0, 0}), floats({7, 8, 9}),
            floats({0, 0, 0}));
    add_row("ZYX order", QByteArray("ZYX"), QByteArray("1 2 3"), floats({3}), floats({2}), floats({1}));
    add_row("double blank shifts values", QByteArray("XYZ"), QByteArray("1  2 3 4 5"), floats({1, 3}),
            floats({0, 4}), floats({2, 5}));
    add_row("trailing blank is a zero piece", QByteArray("X"), QByteArray("1 2 "), floats({1, 2, 0}),
            floats({0, 0, 0}), floats({0, 0, 0}));
    add_row("empty raw field is one zero piece", QByteArray("X"), QByteArray(""), floats({0}), floats({0}),
            floats({0}));
    add_row("fewer pieces than axes: no samples", QByteArray("XYZ"), QByteArray("1 2"), floats({}),
            floats({}), floats({}));
    add_row("first occurrence of a letter", QByteArray("XYX"), QByteArray("1 2 3 4"), floats({1, 3}),
            floats({2, 4}), floats({0, 0}));
    add_row("other characters around the letters", QByteArray("XYZ-axes"), QByteArray("1 2 3"), floats({1}),
            floats({2}), floats({3}));
    // Letters past the pieces of the last sample read as 0 instead of outside the values.
    add_row("blanks between letters", QByteArray("X Y Z"), QByteArray("1 2 3 4 5 6"), floats({1, 4}),
            floats({3, 6}), floats({5, 0}));
    add_row("letter after other text", QByteArray("aX"), QByteArray("1 2"), floats({2, 0}), floats({0, 0}),
            floats({0, 0}));
    add_row("letter after a non-ASCII character counts characters", QByteArray("\xc3\xa9XY"),
            QByteArray("1 2 3 4"), floats({2, 4}), floats({3, 0}), floats({0, 0}));
}

void test_acc_readers::interleaving()
{
    auto [axes, raw, x, y, z] =
        fetch<QByteArray, QByteArray, std::vector<float>, std::vector<float>, std::vector<float>>(
            "axes", "raw", "x", "y", "z");
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QString fixed = files_.write(fixed_header + "\n" + acc_fixed_line(t, "10", axes, raw) + "\n");
    const QString mbd = files_.write(mbd_header + "\n" + acc_mbd_line(t, "10", axes, raw) + "\n");
    for (const read_result& r : {run(reader_kind::eobsmb, fixed), run(reader_kind::mbd, mbd)}) {
        QCOMPARE(r.bursts.size(), std::size_t(1));
        const burst& b = *r.bursts[0];
        QCOMPARE(b.sample_count, static_cast<qint32>(x.size()));
        QCOMPARE(b.x, x);
        QCOMPARE(b.y, y);
        QCOMPARE(b.z, z);
        QCOMPARE(r.values, QList<qint32>{0});
    }
}

void test_acc_readers::quoting_per_field()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QByteArray file = fixed_header + "\n" + acc_fixed_line(t, "10", "\"XY\"", "\"1 2 3 4\"") +
                            "\n" +                                                   // axes and raw unquoted
                            acc_fixed_line("\"" + t + "\"", "10", "X", "1") + "\n" + // timestamp not unquoted
                            acc_fixed_line(t, "\"10\"", "X", "1") + "\n" +           // frequency not unquoted
                            acc_fixed_line(t, "10", "\"X", "\"1 2\"\"") + "\n" +     // one-sided quotes stay
                            acc_fixed_line(t, "10", "X", "\"") + "\n" +        // a lone quote is not a pair
                            acc_fixed_line(t, "10", "\"X,Y\"", "1 2") + "\n" + // a quoted comma still splits
                            acc_fixed_line(t, "10", "xyz", "1 2 3") + "\n" +   // lower case: skipped
                            acc_fixed_line(t, "10", "", "1 2 3") + "\n" +      // empty axes: skipped
                            acc_fixed_line(t, "10", "\"\"", "1") + "\n";       // quotes only: skipped
    const read_result r = run(reader_kind::eobsmb, in_memory(file));
    QCOMPARE(r.bursts.size(), std::size_t(5));
    QCOMPARE(r.bursts[0]->x, floats({1, 3}));
    QCOMPARE(r.bursts[0]->y, floats({2, 4}));
    QCOMPARE(r.bursts[1]->start_timestamp, qint64(1399035600000)); // the previous line's time
    QCOMPARE(r.bursts[1]->sampling_frequency_per_axis, 10.0);
    QCOMPARE(r.bursts[2]->start_timestamp, qint64(1399035600000));
    QCOMPARE(r.bursts[2]->sampling_frequency_per_axis, 0.0);
    QCOMPARE(r.bursts[3]->x, floats({0, 0})); // "\"1" and "2\"\"" are not numbers
    QCOMPARE(r.bursts[4]->x, floats({0}));
    QCOMPARE(r.err, QString("header fields: 6\nskip line with wrong number of fields\n"
                            "start times unreadable or outside 1990-2100: 1 (each took the time of the "
                            "previous readable line)\nlines: 5\n"));
    QCOMPARE(r.values, (QList<qint32>{0, 1, 2, 3, 4}));
}

void test_acc_readers::timestamps_data()
{
    add_columns<QByteArray, qint64>("text", "msecs");
    add_row("example", QByteArray("2014-05-02 13:00:00.000"), qint64(1399035600000));
    add_row("milliseconds", QByteArray("2014-05-02 13:00:00.123"), qint64(1399035600123));
    add_row("one fraction digit", QByteArray("2014-05-02 13:00:00.5"), qint64(1399035600500));
    add_row("two fraction digits", QByteArray("2014-05-02 13:00:00.05"), qint64(1399035600050));
    add_row("epoch", QByteArray("1970-01-01 00:00:00.000"), qint64(0));
    add_row("before the epoch", QByteArray("1969-12-31 23:59:59.999"), qint64(-1));
    add_row("leap day", QByteArray("2016-02-29 12:00:00.000"), qint64(1456747200000));
    add_row("no such day", QByteArray("2014-02-29 12:00:00.000"), qint64(0));
    add_row("four fraction digits", QByteArray("2014-05-02 13:00:00.0000"), qint64(0));
    add_row("no fraction", QByteArray("2014-05-02 13:00:00"), qint64(0));
    add_row("ISO T", QByteArray("2014-05-02T13:00:00.000"), qint64(0));
    add_row("hour 24", QByteArray("2014-05-02 24:00:00.000"), qint64(0));
    add_row("empty", QByteArray(""), qint64(0));
    // Taken as UTC whatever the local zone: no local daylight-saving gap or fold applies.
    add_row("in a local spring gap", QByteArray("2014-03-30 02:30:00.000"), qint64(1396146600000));
    add_row("in a local autumn fold", QByteArray("2014-10-26 02:30:00.000"), qint64(1414290600000));
}

void test_acc_readers::timestamps()
{
    auto [text, msecs] = fetch<QByteArray, qint64>("text", "msecs");
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    const auto restore = qScopeGuard([&zone] { zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone); });
    const read_result r = run(reader_kind::eobsmb,
                              files_.write(fixed_header + "\n" + acc_fixed_line(text, "1", "X", "1") + "\n"));
    QCOMPARE(r.bursts.size(), std::size_t(1)); // an unreadable time never drops the line
    QCOMPARE(csv_field::to_utc_msecs(text.constBegin(), text.constEnd(), QTextCodec::codecForLocale()),
             msecs);
    // The only line of the file: a time outside 1990-2100 has no usable time to take and reads 0.
    QCOMPARE(r.bursts[0]->start_timestamp, start_time_repair::usable(msecs) ? msecs : 0);
}

void test_acc_readers::frequency_reading()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QList<QByteArray> texts = {"33.33", "20", "1e1", "abc", "", "3,5", " 5", "+2.5"};
    QByteArray file = mbd_header + "\n";
    for (const QByteArray& f : texts)
        file += acc_mbd_line(t, f, "X", "1") + "\n";
    const read_result r = run(reader_kind::mbd, in_memory(file));
    // "3,5" adds a field, so that line is skipped.
    QCOMPARE(r.bursts.size(), std::size_t(7));
    QCOMPARE(r.bursts[0]->sampling_frequency_per_axis, 33.33);
    QCOMPARE(r.bursts[1]->sampling_frequency_per_axis, 20.0);
    QCOMPARE(r.bursts[2]->sampling_frequency_per_axis, 10.0);
    QCOMPARE(r.bursts[3]->sampling_frequency_per_axis, 0.0);
    QCOMPARE(r.bursts[4]->sampling_frequency_per_axis, 0.0);
    QCOMPARE(r.bursts[5]->sampling_frequency_per_axis, 5.0);
    QCOMPARE(r.bursts[6]->sampling_frequency_per_axis, 2.5);
}

void test_acc_readers::wrong_field_counts_data()
{
    add_columns<bool, QByteArray, float, QString, QString>(
        "fixed", // loader_eobsmb, which logs to standard error; else loader_mbd
        "file",
        "kept", // the one sample of the one line kept
        "out", "err");
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QString skip = "skip line with wrong number of fields\n";
    add_row("fixed: extra, missing and empty", true,
            (fixed_header + "\n" + acc_fixed_line(t, "1", "X", "1") + ",extra\n" + "1a2b,2241," + t +
             ",1,X\n" + "\n" + acc_fixed_line(t, "1", "X", "2") + "\n"),
            2.f, QString(), QString("header fields: 6\n" + skip + skip + skip + "lines: 1\n"));
    add_row("eobs_: extra and empty", false,
            (mbd_header + "\n" + acc_mbd_line(t, "1", "X", "1") + ",\n" + acc_mbd_line(t, "1", "X", "3") +
             "\n\n"),
            3.f, QString("header fields: 7\n" + skip + skip + "lines: 1\n"), QString());
}

void test_acc_readers::wrong_field_counts()
{
    auto [fixed, file, kept, out, err] =
        fetch<bool, QByteArray, float, QString, QString>("fixed", "file", "kept", "out", "err");
    const read_result r = run(fixed ? reader_kind::eobsmb : reader_kind::mbd, in_memory(file));
    QCOMPARE(r.bursts.size(), std::size_t(1));
    QCOMPARE(r.bursts[0]->x, floats({kept}));
    QCOMPARE(r.out, out);
    QCOMPARE(r.err, err);
}

void test_acc_readers::log_lines_and_progress()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QByteArray body = acc_fixed_line(t, "1", "X", "1") + "\n" + acc_fixed_line(t, "1", "q", "1") +
                            "\n" + acc_fixed_line(t, "1", "X", "1 2") + "\n" +
                            acc_fixed_line(t, "1", "Z", "1 2 3") + "\n";
    const read_result r = run(reader_kind::eobsmb, in_memory(fixed_header + "\n" + body));
    QCOMPARE(r.values, (QList<qint32>{0, 1, 2}));
    QCOMPARE(r.err, QString("header fields: 6\nlines: 3\n"));
    QCOMPARE(r.out, QString());
}

void test_acc_readers::cancel_before_first_line()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QString fixed = files_.write(fixed_header + "\n" + acc_fixed_line(t, "1", "X", "1") + "\n");
    const read_result r = run(reader_kind::eobsmb, fixed, 0);
    QCOMPARE(r.error, QString("cancelled"));
    QVERIFY(r.bursts.empty());
    QVERIFY(r.values.isEmpty());
    QCOMPARE(r.err, QString("header fields: 6\nloader_progress_cancelled is true\nloader was cancelled!\n"));

    const QString mbd = files_.write(mbd_header + "\n" + acc_mbd_line(t, "1", "X", "1") + "\n");
    const read_result s = run(reader_kind::mbd, mbd, 0);
    QCOMPARE(s.error, QString("cancelled"));
    QVERIFY(s.values.isEmpty());
    QCOMPARE(s.out, QString("header fields: 7\nloader was cancelled!\n"));
    QCOMPARE(s.err, QString());
}

void test_acc_readers::cancel_in_the_middle()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    QByteArray body;
    for (int i = 0; i < 5; ++i)
        body += acc_fixed_line(t, "1", "X", "1") + "\n";
    // Cancelled at the third poll: two lines read, then the loop ends and the reader throws.
    const read_result r = run(reader_kind::eobsmb, in_memory(fixed_header + "\n" + body), 2);
    QCOMPARE(r.error, QString("cancelled"));
    QCOMPARE(r.values, (QList<qint32>{0, 1}));
    QCOMPARE(r.err, QString("header fields: 6\nloader_progress_cancelled is true\nloader was cancelled!\n"));

    // A cancellation after the last line is still seen by the check after the loop.
    const read_result late = run(reader_kind::eobsmb, in_memory(fixed_header + "\n" + body), 5);
    QCOMPARE(late.error, QString("cancelled"));
    QCOMPARE(late.values.size(), 5);
    QCOMPARE(late.err, QString("header fields: 6\nloader was cancelled!\n"));
}

void test_acc_readers::crlf_and_byte_order_mark_read_like_plain_files()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QByteArray plain = fixed_header + "\n" + acc_fixed_line(t, "20", "XYZ", "1 2 3 4 5 6") + "\n" +
                             acc_fixed_line("2014-05-02 13:10:00.5", "20", "YZ", "-7 8") + "\n";
    const QByteArray crlf = QByteArray(plain).replace("\n", "\r\n");
    const QByteArray bom = "\xef\xbb\xbf" + plain;
    const QByteArray both = "\xef\xbb\xbf" + crlf;
    const QByteArray no_final_end = QByteArray(crlf).chopped(2);
    const QByteArray final_cr = QByteArray(crlf).chopped(1);
    const read_result expected = run(reader_kind::eobsmb, in_memory(plain));
    QCOMPARE(expected.bursts.size(), std::size_t(2));
    for (const QByteArray& variant : {crlf, bom, both, no_final_end, final_cr}) {
        const read_result r = run(reader_kind::eobsmb, in_memory(variant));
        QCOMPARE(difference(r, expected), QString());
        QCOMPARE(r.err, expected.err);
    }
    // A carriage return inside a line is text: it makes the last raw piece "6\r", which reads 6,
    // and a line that is only "\r" is one field, so it is skipped.
    const read_result inner =
        run(reader_kind::eobsmb,
            files_.write(fixed_header + "\r\n\r\r\n" + acc_fixed_line(t, "1", "X", "6\r") + "\r\n"));
    QCOMPARE(inner.bursts.size(), std::size_t(1));
    QCOMPARE(inner.bursts[0]->x, floats({6}));
    QCOMPARE(inner.err, QString("header fields: 6\nskip line with wrong number of fields\nlines: 1\n"));
    // Two marks: the second one is text and spoils the header.
    QCOMPARE(run(reader_kind::eobsmb, in_memory("\xef\xbb\xbf" + bom)).error, QString("wrong header"));
}

void test_acc_readers::utf16_file_reads_like_the_text_stream()
{
    const QString text = QString(mbd_header) + "\r\n" +
                         QString(acc_mbd_line("2014-05-02 13:00:00.000", "20", "XYZ", "1 2 3 4 5 6")) +
                         "\r\n";
    for (const char* name : {"UTF-16LE", "UTF-16BE", "UTF-32LE"}) {
        QTextCodec* codec = QTextCodec::codecForName(name);
        QByteArray bytes = codec->fromUnicode(QString(QChar(0xfeff)) + text);
        const QString path = files_.write(bytes);
        const read_result r = run(reader_kind::mbd, path);
        QCOMPARE(r.bursts.size(), std::size_t(1));
        QCOMPARE(r.bursts[0]->z, floats({3, 6}));
        QCOMPARE(difference(r, reference_read(reader_kind::mbd, path)), QString());
    }
}

void test_acc_readers::utf16_file_cut_inside_a_character_skips_its_last_line()
{
    // The last value would read "1" instead of "12": the cut line is skipped with a message.
    const QString text = QString(mbd_header) + "\n" +
                         QString(acc_mbd_line("2014-05-02 13:00:00.000", "20", "XYZ", "1 2 3 4 5 6")) + "\n" +
                         QString(acc_mbd_line("2014-05-02 13:10:00.000", "20", "XYZ", "7 8 9 10 11 12"));
    for (const char* name : {"UTF-16LE", "UTF-16BE", "UTF-32LE"}) {
        QTextCodec* codec = QTextCodec::codecForName(name);
        const QByteArray whole = codec->fromUnicode(QString(QChar(0xfeff)) + text);
        const read_result intact = run(reader_kind::mbd, in_memory(whole));
        QCOMPARE(intact.bursts.size(), std::size_t(2));
        QCOMPARE(intact.bursts[1]->z, floats({9, 12}));
        const read_result cut = run(reader_kind::mbd, in_memory(whole.left(whole.size() - 1)));
        QCOMPARE(cut.error, QString());
        QCOMPARE(cut.bursts.size(), std::size_t(1));
        QCOMPARE(cut.bursts[0]->z, floats({3, 6}));
        QVERIFY2((cut.out + cut.err).contains("skip line cut inside a character at the end of the file\n"),
                 qPrintable(cut.out + cut.err));
    }
}

void test_acc_readers::missing_or_unopenable_file_is_a_failed_read()
{
    QTemporaryDir dir;
    const read_result missing = run(reader_kind::eobsmb, dir.path() + "/no-such-file.csv");
    QCOMPARE(missing.error, QString("Can't open file: No such file or directory"));
    QCOMPARE(missing.err, QString());
    const read_result directory = run(reader_kind::mbd, dir.path());
    QVERIFY2(directory.error.startsWith("Can't open file: "), qPrintable(directory.error));
    QVERIFY(!directory.error.contains('\n'));
    QCOMPARE(directory.out, QString());
    try {
        progress p;
        loader_mbd reader(dir.path() + "/gone", &p);
        QFAIL("a missing file must not read as an empty success");
    } catch (const std::exception& e) {
        QCOMPARE(QString(e.what()), QString("Can't open file: No such file or directory"));
    }
}

void test_acc_readers::too_many_samples_refused()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QString path =
        files_.write(fixed_header + "\n" + acc_fixed_line(t, "1", "XYZ", "1 2 3 4 5 6 7 8 9") + "\n" +
                     acc_fixed_line(t, "1", "X", "1 2") + "\n");
    QCOMPARE(run(reader_kind::eobsmb, path, -1, 5).bursts.size(), std::size_t(2)); // exactly at the limit
    const read_result r = run(reader_kind::eobsmb, path, -1, 4);
    QCOMPARE(r.error, QString("Too many samples: the file holds more than 4 samples"));
    QVERIFY(r.bursts.empty());
    QCOMPARE(acc_csv_reader::max_samples, qint64(2147483647));
}

void test_acc_readers::number_pieces_read_like_qstring()
{
    QTextCodec* utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec* latin1 = QTextCodec::codecForName("ISO-8859-1");
    int checked = 0;
    for (const QByteArray& piece : odd_pieces()) {
        const char* b = piece.constData();
        const char* e = b + piece.size();
        for (QTextCodec* codec : {utf8, latin1}) {
            // The piece's text as a text stream decodes it in the middle of a line.
            QTextStream stream(QByteArray("0," + piece + "\n"));
            stream.setCodec(codec);
            const QString text = stream.readLine().mid(2);
            const float expected = text.toFloat();
            const float got = csv_field::to_float(b, e, codec);
            QVERIFY2(same_bits(got, expected) || (std::isnan(got) && std::isnan(expected)),
                     qPrintable(QString("'%1': %2 vs QString %3").arg(text).arg(got).arg(expected)));
            const double expected_d = text.toDouble();
            const double got_d = csv_field::to_double(b, e, codec);
            QVERIFY2(std::memcmp(&got_d, &expected_d, sizeof(double)) == 0 ||
                         (std::isnan(got_d) && std::isnan(expected_d)),
                     qPrintable(QString("'%1': %2 vs QString %3").arg(text).arg(got_d).arg(expected_d)));
            ++checked;
        }
        // The same pieces in a raw field, split at blanks.
        float out[64];
        if (piece.size() < 60 && !piece.contains(' ')) {
            const QByteArray field = piece + " " + piece;
            QCOMPARE(csv_field::split_floats(field.constData(), field.constData() + field.size(), out, utf8),
                     std::size_t(2));
            QVERIFY2(same_bits(out[1], csv_field::to_float(piece.constData(),
                                                           piece.constData() + piece.size(), utf8)) ||
                         std::isnan(out[1]),
                     piece.constData());
        }
    }
    QVERIFY(checked > 8000);
}

void test_acc_readers::generated_files_read_like_the_text_stream()
{
    QRandomGenerator rng(1399035600);
    const QList<QByteArray> pieces = odd_pieces();
    const QList<QByteArray> axes = {"XYZ",   "XYZ", "XYZ", "XZ",      "Y",   "ZX",
                                    "X Y Z", "xyz", "",    "\"XYZ\"", "aXY", "\xc3\xa9Z"};
    const QList<QByteArray> times = {"2014-05-02 13:00:00.000",     "2014-05-02 13:00:00.5",
                                     "2013-12-31 23:59:59.999",     "2014-5-2 13:00:00.000",
                                     "\"2014-05-02 13:00:00.000\"", "0001-01-01 00:00:00.000",
                                     "9999-12-31 23:59:59.999",     "2000-02-29 01:02:03.04",
                                     "1900-02-29 00:00:00.000",     "+014-05-02 13:00:00.000"};
    const QList<QByteArray> freqs = {"33.33", "20", "", "x", "1e2", "\"10\"", "-0", "0.000001"};
    for (int round = 0; round < 12; ++round) {
        for (const reader_kind kind : {reader_kind::eobsmb, reader_kind::mbd}) {
            QByteArray file = rng.bounded(2) ? "\xef\xbb\xbf" : "";
            file += kind == reader_kind::eobsmb ? fixed_header : mbd_header;
            const QByteArray end = rng.bounded(2) ? "\r\n" : "\n";
            for (int line = 0; line < 60; ++line) {
                QByteArray raw;
                const int n = static_cast<int>(rng.bounded(0, 40));
                for (int k = 0; k < n; ++k) {
                    if (k)
                        raw += ' ';
                    raw += rng.bounded(4) ? QByteArray::number(rng.bounded(-20, 4096))
                                          : pieces[rng.bounded(pieces.size())];
                }
                if (rng.bounded(8) == 0)
                    raw = "\"" + raw + "\"";
                const QByteArray& a = axes[rng.bounded(axes.size())];
                const QByteArray& t = times[rng.bounded(times.size())];
                const QByteArray& f = freqs[rng.bounded(freqs.size())];
                QByteArray l =
                    kind == reader_kind::eobsmb ? acc_fixed_line(t, f, a, raw) : acc_mbd_line(t, f, a, raw);
                if (rng.bounded(15) == 0)
                    l += ",";
                file += end + l;
            }
            if (rng.bounded(2))
                file += end;
            const QString path = files_.write(file);
            const read_result got = run(kind, path);
            const read_result expected = reference_read(kind, path);
            QVERIFY(!got.bursts.empty());
            QCOMPARE(difference(got, expected), QString());
        }
    }
}

void test_acc_readers::unusable_start_times_take_the_previous_usable_time_data()
{
    QTest::addColumn<int>("kind");
    add_row("eobsmb", static_cast<int>(reader_kind::eobsmb));
    add_row("mbd", static_cast<int>(reader_kind::mbd));
}

void test_acc_readers::unusable_start_times_take_the_previous_usable_time()
{
    QFETCH(int, kind);
    const auto k = static_cast<reader_kind>(kind);
    const QList<QByteArray> times = {"garbage",
                                     "1989-12-31 23:59:59.999", // just before the range
                                     "1990-01-01 00:00:00.000", // its first moment
                                     "0001-01-01 00:00:00.000",
                                     "2100-12-31 23:59:59.999", // its last moment
                                     "2101-01-01 00:00:00.000", // just after it
                                     "",
                                     "2014-05-02 13:00:00.000"};
    QByteArray file = k == reader_kind::eobsmb ? fixed_header : mbd_header;
    for (const QByteArray& t : times)
        file += "\n" + (k == reader_kind::eobsmb ? acc_fixed_line(t, "1", "X", "1")
                                                 : acc_mbd_line(t, "1", "X", "1"));
    const read_result r = run(k, in_memory(file + "\n"));
    const qint64 first = 631152000000, last = 4133980799999, good = 1399035600000;
    const QList<qint64> expected = {first, first, first, first, last, last, last, good};
    QCOMPARE(r.bursts.size(), std::size_t(8));
    for (int i = 0; i < 8; ++i)
        QCOMPARE(r.bursts[static_cast<std::size_t>(i)]->start_timestamp, expected[i]);
    QCOMPARE(r.values, (QList<qint32>{0, 1, 2, 3, 4, 5, 6, 7}));
    const QString log = QString(k == reader_kind::eobsmb ? "header fields: 6\n" : "header fields: 7\n") +
                        "start times unreadable or outside 1990-2100: 5 (each took the time of the previous "
                        "readable line)\nlines: 8\n";
    QCOMPARE(k == reader_kind::eobsmb ? r.err : r.out, log);
}

void test_acc_readers::no_usable_start_time_reads_zero()
{
    const QByteArray file = fixed_header + "\n" + acc_fixed_line("1", "1", "X", "1") + "\n" +
                            acc_fixed_line("9999-12-31 23:59:59.999", "1", "X", "1 2") + "\n";
    const read_result r = run(reader_kind::eobsmb, in_memory(file));
    QCOMPARE(r.bursts.size(), std::size_t(2));
    QCOMPARE(r.bursts[0]->start_timestamp, qint64(0));
    QCOMPARE(r.bursts[1]->start_timestamp, qint64(0));
    QCOMPARE(r.bursts[1]->x, floats({1, 2}));
    QVERIFY(r.err.contains("start times unreadable or outside 1990-2100: 2 "));
}

void test_acc_readers::skipped_lines_listed_up_to_a_thousand()
{
    const QByteArray good = acc_fixed_line("2014-05-02 13:00:00.000", "1", "X", "1");
    for (const int skipped : {1000, 1001, 25000}) {
        const QByteArray file = fixed_header + "\n" + QByteArray(skipped, '\n') + good + "\n";
        const read_result r = run(reader_kind::eobsmb, in_memory(file));
        QCOMPARE(r.bursts.size(), std::size_t(1));
        QString expected = "header fields: 6\n";
        for (int i = 0; i < 1000; ++i)
            expected += "skip line with wrong number of fields\n";
        if (skipped > 1000)
            expected += QString("skipped %1 lines in all; only the first 1000 are listed\n").arg(skipped);
        QCOMPARE(r.err, expected + "lines: 1\n");
    }
    // The lines of a read that is cancelled are written before the cancel line.
    const QByteArray file = fixed_header + "\n\n\n" + good + "\n";
    const read_result r = run(reader_kind::eobsmb, in_memory(file), 2);
    QCOMPARE(r.err, QString("header fields: 6\nskip line with wrong number of fields\n"
                            "skip line with wrong number of fields\nloader_progress_cancelled is true\n"
                            "loader was cancelled!\n"));
}

void test_acc_readers::overlong_line_skipped()
{
    const QByteArray t = "2014-05-02 13:00:00.000";
    const QString path = files_.write_with_hole(
        "long.csv", fixed_header + "\n" + acc_fixed_line(t, "1", "X", "1") + "\n",
        qint64(line_reader::default_max_line) + 1, "\n" + acc_fixed_line(t, "1", "X", "2") + "\n");
    const read_result r = run(reader_kind::eobsmb, path);
    QCOMPARE(r.error, QString());
    QCOMPARE(r.bursts.size(), std::size_t(2));
    QCOMPARE(r.bursts[1]->x, floats({2}));
    QCOMPARE(r.err, QString("header fields: 6\nskip line longer than 268435456 bytes\nlines: 2\n"));
}

void test_acc_readers::cancel_seen_inside_a_long_line()
{
    const QString path = files_.write_with_hole("zeros.csv", mbd_header + "\n", qint64(64) << 20, "\n");
    // The first poll is the loop's; the next ones come once per chunk of the unfinished line, the
    // fifth says yes, and the check after the loop is the sixth.
    progress p;
    p.cancel_after_polls = 4;
    streams_capture capture;
    QVERIFY_EXCEPTION_THROWN(loader_mbd(path, &p), loader_cancelled);
    QCOMPARE(p.polls, 6);
    QCOMPARE(capture.stdout_text(), QString("header fields: 7\nloader was cancelled!\n"));
}

void test_acc_readers::special_files_refused_unread()
{
    QTemporaryDir dir;
    const QString fifo = dir.path() + "/pipe.csv";
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {fifo, dir.path(), QString("/dev/zero")}) {
        const read_result r = run(reader_kind::eobsmb, path);
        QCOMPARE(
            r.error,
            QString("Can't open file: \"%1\" is not a regular file (a directory, device or pipe)").arg(path));
        QCOMPARE(r.err, QString());
    }
}

void test_acc_readers::file_shrinking_while_read_fails()
{
    const QByteArray line = acc_fixed_line("2014-05-02 13:00:00.000", "1", "X", "1 2 3 4 5 6 7 8") + "\n";
    QByteArray file = fixed_header + "\n";
    while (file.size() < 3 * (1 << 20))
        file += line;
    // Cut to a quarter at the first progress report, after the second 1 MiB (the header's chunk is
    // read before progress is reported), on the line-by-line and the block path.
    struct cutting_progress : progress
    {
        QString path;
        void loader_progress_bytes(qint64 read, qint64 size) override
        {
            if (read == (2 << 20) && !QFile::resize(path, 1 << 18))
                qFatal("cannot cut the file");
            progress::loader_progress_bytes(read, size);
        }
    };
    const int threads = parallel_lines::threads();
    for (const int count : {1, 2}) {
        parallel_lines::set_threads(count);
        const QString path = files_.write(file);
        cutting_progress p;
        p.path = path;
        streams_capture capture;
        try {
            loader_eobsmb reader(path, &p);
            parallel_lines::set_threads(threads);
            QFAIL("a file cut while it is read must not read as a success");
        } catch (const loader_read_failed& failure) {
            QCOMPARE(failure.reason(),
                     QString("Can't read file: \"%1\" became shorter while it was read (2097152 of %2 bytes)")
                         .arg(path)
                         .arg(file.size()));
        }
    }
    parallel_lines::set_threads(threads);
}

QTEST_GUILESS_MAIN(test_acc_readers)
#include "test_acc_readers.moc"

// The acceleration readers with several threads and small blocks against the same readers on one
// thread: bursts, order, log lines on both streams, progress values, errors and cancellation must
// match for block cuts at every byte of files with skipped lines, CRLF, byte-order marks,
// multi-byte characters and a last line without its end.
#include "data/model/burst.h"
#include "data/io/loader_cancelled.h"
#include "data/formats/loader_eobsmb.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "data/formats/loader_mbd.h"
#include "data/io/loader_read_failed.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/parallel_lines.h"
#include "support/acc_layouts.h"
#include "support/burst_difference.h"
#include "support/read_capture.h"
#include "support/temp_folder.h"
#include "support/data_table.h"

#include <QScopeGuard>
#include <QTest>

#include <cstring>
#include <memory>
#include <vector>

namespace {

const QByteArray& fixed_header = test_support::acc_fixed_header;
const QByteArray& mbd_header = test_support::acc_mbd_header;

// Data lines of both layouts from the four values read; every layout gets the same mix of good lines,
// lines with a wrong field count, lines without an axis letter and odd numbers.
QByteArray body(bool mbd, const QByteArray& end_of_line)
{
    const auto line = [mbd](const QByteArray& t, const QByteArray& f, const QByteArray& axes,
                            const QByteArray& raw) -> QByteArray {
        if (mbd)
            return "17," + axes + ",2241," + raw + "," + t + ",\"Störche\"," + f;
        return "1a2b,2241," + t + "," + f + "," + axes + "," + raw;
    };
    QByteArray out;
    for (int i = 0; i < 12; ++i) {
        const QByteArray t = "2020-01-0" + QByteArray::number(1 + i % 9) + " 10:0" +
                             QByteArray::number(i % 10) + ":0" + QByteArray::number(i % 7) + "." +
                             QByteArray::number(i * 7 % 1000);
        out += line(t, QByteArray::number(10 + i) + ".5", "XYZ",
                    QByteArray::number(i) + " -" + QByteArray::number(i * 3) + " 4e1 0x5 1.25 7") +
               end_of_line;
        out += line(t, "20", "\"ZöX\"", "\"1 2 3 4 5\"") + end_of_line;
        out += "only,three,fields" + end_of_line;
        out += line(t, "1", "abc", "1 2 3") + end_of_line; // no axis letter: silently left out
        out += line(t, "nan", "Y", "  ") + end_of_line;
        out += "ö,ä," + end_of_line;
    }
    out += line("2021-02-03 04:05:06.7", "12.5", "X Y Z", "9 8 7 6"); // no line end
    return out;
}

// The text as UTF-16 little endian after its byte-order mark.
QByteArray utf16le(const QString& text)
{
    QByteArray out("\xFF\xFE");
    for (const QChar c : text) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    return out;
}

using test_support::read_log;

// Runs load(progress) with the given threads and block size, capturing both streams.
template <typename Load>
void capture_read(int threads, std::size_t block, int cancel_after_polls, read_log& log, Load&& load)
{
    parallel_lines::set_threads(threads);
    parallel_lines::set_block_bytes(block);
    test_support::capture_read(cancel_after_polls, log, std::forward<Load>(load));
}

struct outcome : read_log
{
    std::vector<std::unique_ptr<burst>> bursts;
};

outcome read(bool mbd, const QString& path, int threads, std::size_t block, int cancel_after_polls = -1,
             qint64 limit = acc_csv_reader::max_samples)
{
    outcome r;
    capture_read(threads, block, cancel_after_polls, r, [&](test_support::recording_progress& p) {
        if (mbd) {
            loader_mbd reader(path, &p, limit);
            r.bursts = std::move(reader.bursts());
        } else {
            loader_eobsmb reader(path, &p, limit);
            r.bursts = std::move(reader.bursts());
        }
    });
    return r;
}

// Empty when equal, else what differs first.
QString difference(const outcome& a, const outcome& b)
{
    if (a.error != b.error)
        return "error: " + a.error + " / " + b.error;
    if (a.out != b.out)
        return "standard output:\n" + a.out + "/\n" + b.out;
    if (a.err != b.err)
        return "standard error:\n" + a.err + "/\n" + b.err;
    if (a.values != b.values)
        return QString("progress values: %1 / %2").arg(a.values.size()).arg(b.values.size());
    return test_support::burst_difference(a.bursts, b.bursts);
}

// A GPS file of either layout: fixes passing and failing the quality test, wrong field counts,
// CRLF line ends, a two-byte character and a last line without its end.
QByteArray gps_file(bool mbd)
{
    const QByteArray header = mbd ? loader_gps_mbd::header_3 : loader_gps_eobsmb::header;
    const QList<QByteArray> names = header.split(',');
    QByteArray out = "\xEF\xBB\xBF" + header + "\r\n";
    for (int i = 0; i < 40; ++i) {
        QList<QByteArray> fields;
        for (const QByteArray& name : names) {
            QByteArray value = "ö" + QByteArray::number(i);
            if (name.contains("long"))
                value = QByteArray::number(8.5 + i * 0.001, 'f', 6);
            else if (name.contains("lat"))
                value = QByteArray::number(47.25 - i * 0.002, 'f', 6);
            else if (name == "timestamp" || name == "timestamp-of-fix")
                value = "2020-03-0" + QByteArray::number(1 + i % 9) + " 12:00:" + QByteArray::number(10 + i) +
                        ".5";
            else if (name.contains("type_of_fix") || name.contains("type-of-fix"))
                value = i % 5 == 1 ? "2" : "3";
            else if (name.contains("status"))
                value = i % 7 == 2 ? "V" : "A";
            if (mbd && name.contains("status"))
                value = "\"" + value + "\"";
            fields << value;
        }
        if (i % 6 == 3)
            fields.removeLast();
        out += fields.join(',');
        if (i != 39)
            out += "\r\n";
    }
    return out;
}

struct gps_outcome : read_log
{
    std::vector<std::unique_ptr<gps_event>> events;
};

gps_outcome read_gps(bool mbd, const QString& path, int threads, std::size_t block,
                     int cancel_after_polls = -1)
{
    gps_outcome r;
    capture_read(threads, block, cancel_after_polls, r, [&](test_support::recording_progress& p) {
        if (mbd) {
            loader_gps_mbd reader(path, &p);
            r.events = std::move(reader.events());
        } else {
            loader_gps_eobsmb reader(path, &p);
            r.events = std::move(reader.events());
        }
    });
    return r;
}

QString gps_difference(const gps_outcome& a, const gps_outcome& b)
{
    if (a.error != b.error || a.out != b.out || a.err != b.err || a.values != b.values)
        return "error / log:\n" + a.error + a.out + a.err + "/\n" + b.error + b.out + b.err;
    if (a.events.size() != b.events.size())
        return QString("fixes: %1 / %2").arg(a.events.size()).arg(b.events.size());
    for (std::size_t i = 0; i < a.events.size(); ++i) {
        const gps_event& x = *a.events[i];
        const gps_event& y = *b.events[i];
        if (x.timestamp != y.timestamp || x.longitude != y.longitude || x.latitude != y.latitude)
            return QString("fix %1").arg(i);
    }
    return {};
}

} // namespace

class test_parallel_read : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        parallel_lines::set_threads(0);
        parallel_lines::set_block_bytes(std::size_t(1) << 20);
    }
    void blocks_cut_at_every_byte_read_like_one_thread_data();
    void blocks_cut_at_every_byte_read_like_one_thread();
    void line_end_across_a_file_chunk_reads_like_one_thread();
    void cancel_at_every_line_like_one_thread();
    void sample_limit_like_one_thread();
    void gps_blocks_cut_at_every_byte_read_like_one_thread();
    void gps_cancel_at_every_line_like_one_thread();

private:
    temp_folder dir_;
};

void test_parallel_read::blocks_cut_at_every_byte_read_like_one_thread_data()
{
    add_columns<bool, QByteArray>("mbd", "content");
    for (const bool mbd : {false, true}) {
        const QByteArray header = mbd ? mbd_header : fixed_header;
        const char* layout = mbd ? "eobs_" : "fixed";
        QTest::addRow("%s LF", layout) << mbd << header + "\n" + body(mbd, "\n");
        QTest::addRow("%s CRLF", layout) << mbd << header + "\r\n" + body(mbd, "\r\n");
        QTest::addRow("%s BOM CRLF", layout) << mbd << "\xEF\xBB\xBF" + header + "\r\n" + body(mbd, "\r\n");
        QTest::addRow("%s last line CR", layout) << mbd << header + "\n" + body(mbd, "\n") + "\r";
        QTest::addRow("%s empty lines", layout) << mbd << header + "\n\n" + body(mbd, "\n\n") + "\n";
        QTest::addRow("%s UTF-16", layout)
            << mbd << utf16le(QString::fromUtf8(header + "\r\n" + body(mbd, "\r\n")));
    }
}

void test_parallel_read::blocks_cut_at_every_byte_read_like_one_thread()
{
    auto [mbd, content] = fetch<bool, QByteArray>("mbd", "content");
    const QString path =
        dir_.write(QString("f%1.csv").arg(QTest::currentDataTag()).replace(' ', '_'), content);
    const outcome reference = read(mbd, path, 1, 1);
    QVERIFY(reference.error.isEmpty());
    QCOMPARE(reference.bursts.size(), std::size_t(37));
    QVERIFY(reference.out.contains("skip line with wrong number of fields") ||
            reference.err.contains("skip line with wrong number of fields"));
    for (int threads : {2, 3}) {
        for (std::size_t block = 1; block <= std::size_t(content.size()) + 1;
             block += (block < 150 ? 1 : 61)) {
            const QString diff = difference(reference, read(mbd, path, threads, block));
            if (!diff.isEmpty())
                QFAIL(
                    qPrintable(QString("%1 threads, %2-byte blocks: %3").arg(threads).arg(block).arg(diff)));
        }
    }
}

void test_parallel_read::line_end_across_a_file_chunk_reads_like_one_thread()
{
    // The file is read in 1 MiB pieces: put a "\r\n" pair and then a two-byte character across that
    // boundary.
    const int file_chunk = 1 << 20;
    for (const int shift : {1, 2, 3}) {
        QByteArray content = "\xEF\xBB\xBF" + mbd_header + "\r\n";
        const QByteArray lines = body(true, "\r\n");
        while (content.size() + lines.size() < file_chunk - 200)
            content += lines + "\r\n";
        const QByteArray prefix = "17,XYZ,2241,1 2 3,2020-01-01 10:00:00.5,", suffix = ",20";
        const int before = content.size() + prefix.size();
        QByteArray filler(file_chunk - 1 - before - (shift == 3 ? 0 : suffix.size()) - (shift == 2 ? 1 : 0),
                          'x');
        if (shift == 3)
            filler += "ö";
        content += prefix + filler + suffix + "\r\n" + lines;
        const QByteArray across = content.mid(file_chunk - 1, 2);
        QCOMPARE(across, shift == 1 ? QByteArray("\r\n") : shift == 2 ? QByteArray("\n1") : QByteArray("ö"));
        const QString path = dir_.write(QString("chunk%1.csv").arg(shift), content);
        const outcome reference = read(true, path, 1, 1);
        QVERIFY(reference.error.isEmpty());
        QVERIFY(reference.bursts.size() > 1000);
        for (const std::size_t block : {std::size_t(1), std::size_t(4096), std::size_t(file_chunk - 1)}) {
            const QString diff = difference(reference, read(true, path, 2, block));
            if (!diff.isEmpty())
                QFAIL(qPrintable(QString("shift %1, %2-byte blocks: %3").arg(shift).arg(block).arg(diff)));
        }
    }
}

void test_parallel_read::cancel_at_every_line_like_one_thread()
{
    for (const bool mbd : {false, true}) {
        const QString path = dir_.write(mbd ? "cancel_mbd.csv" : "cancel_fixed.csv",
                                        (mbd ? mbd_header : fixed_header) + "\r\n" + body(mbd, "\r\n"));
        for (int polls = 0; polls <= 75; ++polls) {
            const outcome reference = read(mbd, path, 1, 1, polls);
            QCOMPARE(reference.error, polls < 74 ? QString("cancelled") : QString());
            for (const std::size_t block : {std::size_t(1), std::size_t(100), std::size_t(1000)}) {
                const QString diff = difference(reference, read(mbd, path, 3, block, polls));
                if (!diff.isEmpty())
                    QFAIL(qPrintable(QString("cancel after %1 polls, %2-byte blocks: %3")
                                         .arg(polls)
                                         .arg(block)
                                         .arg(diff)));
            }
        }
    }
}

void test_parallel_read::sample_limit_like_one_thread()
{
    const QString path = dir_.write("limit.csv", fixed_header + "\n" + body(false, "\n"));
    qint64 total = 0;
    for (const auto& b : read(false, path, 1, 1).bursts)
        total += b->sample_count;
    QVERIFY(total > 60);
    for (const qint64 limit : {qint64(0), qint64(5), qint64(60), total - 1}) {
        const outcome reference = read(false, path, 1, 1, -1, limit);
        QCOMPARE(reference.error,
                 QString("Too many samples: the file holds more than %1 samples").arg(limit));
        for (const std::size_t block : {std::size_t(1), std::size_t(50), std::size_t(700)}) {
            const QString diff = difference(reference, read(false, path, 2, block, -1, limit));
            if (!diff.isEmpty())
                QFAIL(qPrintable(QString("limit %1, %2-byte blocks: %3").arg(limit).arg(block).arg(diff)));
        }
    }
}

void test_parallel_read::gps_blocks_cut_at_every_byte_read_like_one_thread()
{
    for (const bool mbd : {false, true}) {
        const QByteArray content = gps_file(mbd);
        const QString path = dir_.write(mbd ? "gps_mbd.csv" : "gps_eobs.txt", content);
        const gps_outcome reference = read_gps(mbd, path, 1, 1);
        QVERIFY(reference.error.isEmpty());
        // 40 lines: 7 with a field missing, 11 of the rest with type of fix 2 or status V
        QCOMPARE(reference.events.size(), std::size_t(22));
        QVERIFY(reference.out.contains("skip line 4 with wrong number of fields " +
                                       QString::number(content.left(content.indexOf('\r')).count(','))));
        QVERIFY(reference.out.contains("count_quality_check_failed: 11\n"));
        for (std::size_t block = 1; block <= std::size_t(content.size()) + 1;
             block += (block < 100 ? 1 : 89)) {
            const QString diff = gps_difference(reference, read_gps(mbd, path, 3, block));
            if (!diff.isEmpty())
                QFAIL(qPrintable(QString("%1-byte blocks: %2").arg(block).arg(diff)));
        }
    }
}

void test_parallel_read::gps_cancel_at_every_line_like_one_thread()
{
    const QString path = dir_.write("gps_cancel.txt", gps_file(false));
    for (int polls = 0; polls <= 42; ++polls) {
        const gps_outcome reference = read_gps(false, path, 1, 1, polls);
        QCOMPARE(reference.error, polls < 41 ? QString("cancelled") : QString());
        for (const std::size_t block : {std::size_t(1), std::size_t(300)}) {
            const QString diff = gps_difference(reference, read_gps(false, path, 2, block, polls));
            if (!diff.isEmpty())
                QFAIL(qPrintable(
                    QString("cancel after %1 polls, %2-byte blocks: %3").arg(polls).arg(block).arg(diff)));
        }
    }
}

QTEST_GUILESS_MAIN(test_parallel_read)
#include "test_parallel_read.moc"

// The line reader's bounds: the longest line handed out, cancellation inside a long line, and the
// lines around an overlong one, line by line, in blocks and through gzip.
#include "data/io/line_reader.h"
#include "data/io/loader_progress.h"
#include "support/in_memory.h"
#include "support/temp_folder.h"
#include "support/data_table.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTextCodec>

namespace {

struct cancel_after : loader_progress
{
    int polls = 0;
    int limit;
    explicit cancel_after(int n) : limit(n) {}
    bool loader_progress_cancelled() override { return ++polls > limit; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
};

// Every line of the file as (status, text).
QList<QPair<int, QByteArray>> all_lines(const byte_input& path, std::size_t max_line,
                                        loader_progress* progress = nullptr)
{
    line_reader lines(path, progress, max_line);
    QList<QPair<int, QByteArray>> out;
    while (!lines.at_end()) {
        const char* b;
        const char* e;
        const line_reader::line got = lines.next(b, e);
        out << qMakePair(static_cast<int>(got), QByteArray(b, static_cast<int>(e - b)));
    }
    return out;
}

// The same, read as blocks of at least `bytes` with next_lines().
QList<QPair<int, QByteArray>> all_blocks(const QString& path, std::size_t max_line, std::size_t bytes,
                                         loader_progress* progress = nullptr)
{
    line_reader lines(path, progress, max_line);
    QList<QPair<int, QByteArray>> out;
    std::vector<char> block;
    line_reader::line tail = line_reader::line::ok;
    while (lines.next_lines(bytes, block, tail)) {
        const QByteArray text(block.data(), static_cast<int>(block.size()));
        if (!text.isEmpty() && !text.endsWith('\n'))
            return {}; // every line of a block ends with "\n"
        QList<QByteArray> parts = text.split('\n');
        parts.removeLast();
        for (QByteArray& part : parts) {
            if (part.endsWith('\r')) // a block keeps "\r\n", which parallel_lines ends the line at
                part.chop(1);
            out << qMakePair(static_cast<int>(line_reader::line::ok), part);
        }
        if (tail != line_reader::line::ok)
            out << qMakePair(static_cast<int>(tail), QByteArray());
    }
    return out;
}

constexpr int ok = static_cast<int>(line_reader::line::ok);
constexpr int too_long = static_cast<int>(line_reader::line::too_long);
constexpr int cancelled = static_cast<int>(line_reader::line::cancelled);

} // namespace

class test_line_reader : public QObject
{
    Q_OBJECT

private slots:
    void bound_data();
    void bound();
    void long_lines_across_chunks();
    void cancel_inside_a_long_line();
    void default_bound();
    void blocks_give_the_lines_of_next_data();
    void blocks_give_the_lines_of_next();
    void cancel_inside_a_long_line_of_a_block();
    void gzip_input_keeps_the_bound_and_cancel();
    void header_without_line_end_is_not_read_through();
    void blocks_hold_a_bounded_number_of_lines();
    void wide_text_cut_inside_a_character();

private:
    temp_folder dir;
};

void test_line_reader::bound_data()
{
    add_columns<QByteArray, int, QByteArray>("content", "status", "text");
    // The bound counts the bytes before "\n", a "\r" before it included.
    add_row("at the bound", QByteArray("0123456789\nnext\n"), ok, QByteArray("0123456789"));
    add_row("one over", QByteArray("0123456789a\nnext\n"), too_long, QByteArray());
    add_row("crlf at the bound", QByteArray("012345678\r\nnext\n"), ok, QByteArray("012345678"));
    add_row("crlf one over", QByteArray("0123456789\r\nnext\n"), too_long, QByteArray());
    add_row("last line at the bound", QByteArray("0123456789"), ok, QByteArray("0123456789"));
}

void test_line_reader::bound()
{
    auto [content, status, text] = fetch<QByteArray, int, QByteArray>("content", "status", "text");
    const auto lines = all_lines(test_support::in_memory(content), 10);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines[0].first, status);
    QCOMPARE(lines[0].second, text);
    if (content.endsWith('\n'))
        QCOMPARE(lines.value(1), qMakePair(ok, QByteArray("next")));
}

void test_line_reader::long_lines_across_chunks()
{
    // Lines of 3 MiB span several 1 MiB chunks; the lines around them are intact.
    const QByteArray big(3 << 20, 'x');
    const QByteArray content = "a\n" + big + "\nb\n" + big + "\r\nc\n" + big;
    const auto lines = all_lines(test_support::in_memory(content), 1 << 20);
    QCOMPARE(lines.size(), 6);
    const QList<QPair<int, QByteArray>> expected = {{ok, "a"},      {too_long, ""}, {ok, "b"},
                                                    {too_long, ""}, {ok, "c"},      {too_long, ""}};
    QCOMPARE(lines, expected);
    // With a bound above their length the same lines are handed out whole.
    const auto whole = all_lines(test_support::in_memory(content), 4 << 20);
    QCOMPARE(whole.size(), 6);
    QCOMPARE(whole[1], qMakePair(ok, big));
    QCOMPARE(whole[3], qMakePair(ok, big));
    QCOMPARE(whole[5], qMakePair(ok, big));
}

void test_line_reader::cancel_inside_a_long_line()
{
    const QString path = dir.write("head\n" + QByteArray(16 << 20, 'y') + "\ntail\n");
    for (const std::size_t bound : {std::size_t(1) << 20, line_reader::default_max_line}) {
        cancel_after progress(2);
        const auto lines = all_lines(path, bound, &progress);
        // Polled once per chunk inside the long line only; the third poll stops the reading.
        QCOMPARE(progress.polls, 3);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], qMakePair(ok, QByteArray("head")));
        QCOMPARE(lines[1], qMakePair(cancelled, QByteArray()));
    }
    // Short lines are never polled.
    cancel_after never(0);
    QCOMPARE(all_lines(test_support::in_memory("a\nb\nc\n"), 10, &never).size(), 3);
    QCOMPARE(never.polls, 0);
}

void test_line_reader::default_bound()
{
    QCOMPARE(line_reader::default_max_line, std::size_t(268435456));
}

void test_line_reader::blocks_give_the_lines_of_next_data()
{
    add_columns<QByteArray, int>("content", "max_line");
    const QByteArray big(3 << 20, 'x');
    add_row("overlong lines", ("a\n" + big + "\nb\n" + big + "\r\nc\n" + big), (1 << 20));
    add_row("long lines within the bound", ("a\n" + big + "\nb\r\n\n" + big + "\n"), (4 << 20));
    add_row("short lines, one over the bound", QByteArray("0123456789\r\n0123456789a\n\n\nz"), 10);
}

void test_line_reader::blocks_give_the_lines_of_next()
{
    auto [content, max_line] = fetch<QByteArray, int>("content", "max_line");
    const QString path = dir.write(content);
    const auto expected = all_lines(path, static_cast<std::size_t>(max_line));
    QVERIFY(expected.size() >= 5);
    for (const std::size_t bytes :
         {std::size_t(1), std::size_t(7), std::size_t(1) << 20, std::size_t(64) << 20})
        QCOMPARE(all_blocks(path, static_cast<std::size_t>(max_line), bytes), expected);
}

void test_line_reader::cancel_inside_a_long_line_of_a_block()
{
    const QString path = dir.write("head\n" + QByteArray(16 << 20, 'y') + "\ntail\n");
    cancel_after progress(2);
    const auto lines = all_blocks(path, std::size_t(1) << 20, 1 << 20, &progress);
    QCOMPARE(progress.polls, 3);
    const QList<QPair<int, QByteArray>> expected = {{ok, "head"}, {cancelled, ""}};
    QCOMPARE(lines, expected);
}

void test_line_reader::gzip_input_keeps_the_bound_and_cancel()
{
    const QByteArray big(3 << 20, 'x');
    const QByteArray content = "a\n" + big + "\nb\n" + big + "\r\nc\n";
    const QString plain = dir.write(content);
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-k"), plain});
    QVERIFY(gzip.waitForFinished());
    QCOMPARE(gzip.exitCode(), 0);
    const QString packed = plain + QStringLiteral(".gz");
    QVERIFY(QFileInfo(packed).size() < content.size() / 100);
    const QList<QPair<int, QByteArray>> expected = {
        {ok, "a"}, {too_long, ""}, {ok, "b"}, {too_long, ""}, {ok, "c"}};
    QCOMPARE(all_lines(packed, 1 << 20), expected);
    QCOMPARE(all_blocks(packed, 1 << 20, 1 << 20), expected);

    cancel_after progress(1);
    const QList<QPair<int, QByteArray>> stopped = {{ok, "a"}, {cancelled, ""}};
    QCOMPARE(all_blocks(packed, 1 << 20, 1 << 20, &progress), stopped);
    QCOMPARE(progress.polls, 2);
}

namespace {

struct bytes_seen : loader_progress
{
    qint64 last = 0;
    bool loader_progress_cancelled() override { return false; }
    void loader_progress_set_value(qint32) override {}
    void loader_progress_set_text(const QString&) override {}
    void loader_progress_bytes(qint64 read, qint64) override { last = read; }
};

} // namespace

void test_line_reader::header_without_line_end_is_not_read_through()
{
    const std::size_t bound = line_reader::max_header_line;
    QCOMPARE(bound, std::size_t(1) << 20);
    const QByteArray header_at_bound(static_cast<int>(bound), 'h');
    const QByteArray endless(static_cast<int>(16 * bound), 'z');
    struct row
    {
        QByteArray content;
        int status;
        QByteArray text;
        bool more;
    };
    const row rows[] = {
        {"id,x\n1,2\n", ok, "id,x", true},
        {header_at_bound + "\nrow\n", ok, header_at_bound, true},
        {header_at_bound + "h\nrow\n", too_long, "", false},
        {endless, too_long, "", false},
    };
    for (const row& r : rows) {
        bytes_seen progress;
        line_reader lines(test_support::in_memory(r.content), nullptr);
        lines.report_to(&progress);
        const char* b;
        const char* e;
        QCOMPARE(static_cast<int>(lines.header(b, e)), r.status);
        QCOMPARE(QByteArray(b, static_cast<int>(e - b)), r.text);
        QCOMPARE(!lines.at_end(), r.more);
        // An overlong header stops the reading within a few chunks of the bound.
        QVERIFY2(progress.last <= qint64(3 * bound), qPrintable(QString::number(progress.last)));
    }
    // After the header the usual bound applies again.
    line_reader lines(
        test_support::in_memory(QByteArray("h\n") + QByteArray(static_cast<int>(2 * bound), 'x') + "\nz\n"),
        nullptr);
    const char* b;
    const char* e;
    QCOMPARE(static_cast<int>(lines.header(b, e)), ok);
    QCOMPARE(static_cast<int>(lines.next(b, e)), ok);
    QCOMPARE(static_cast<qint64>(e - b), qint64(2 * bound));
}

void test_line_reader::blocks_hold_a_bounded_number_of_lines()
{
    const std::size_t cap = line_reader::max_block_lines;
    const QString path = dir.write(QByteArray(static_cast<int>(cap + 10), '\n') + "last");
    line_reader lines(path, nullptr);
    std::vector<char> block;
    line_reader::line tail = line_reader::line::ok;
    QVERIFY(lines.next_lines(std::size_t(64) << 20, block, tail));
    QCOMPARE(block.size(), cap);
    QVERIFY(lines.next_lines(std::size_t(64) << 20, block, tail));
    QCOMPARE(QByteArray(block.data(), static_cast<int>(block.size())), QByteArray(10, '\n') + "last\n");
    QVERIFY(!lines.next_lines(std::size_t(64) << 20, block, tail));
}

void test_line_reader::wide_text_cut_inside_a_character()
{
    QTextCodec* utf16 = QTextCodec::codecForName("UTF-16LE");
    const QByteArray whole = utf16->fromUnicode(QString(QChar(0xfeff)) + "a\nb\nlast");
    const auto intact = all_lines(test_support::in_memory(whole), 100);
    QCOMPARE(intact.size(), 3);
    QCOMPARE(intact[1], qMakePair(ok, QByteArray("b")));
    QCOMPARE(intact[2], qMakePair(ok, QByteArray("last")));
    auto expected = intact;
    expected[2] = qMakePair(static_cast<int>(line_reader::line::cut), QByteArray());
    const QString path = dir.write(whole.left(whole.size() - 1));
    QCOMPARE(all_lines(path, 100), expected);
    QCOMPARE(all_blocks(path, 100, 1), expected);
    // A plain file has no characters to cut: its last line is read as it is.
    QCOMPARE(all_lines(test_support::in_memory("a\nlas"), 100).last(), qMakePair(ok, QByteArray("las")));
    QCOMPARE(line_reader::unusable_text(line_reader::line::cut),
             std::string("cut inside a character at the end of the file"));
    QCOMPARE(line_reader::unusable_text(line_reader::line::too_long),
             std::string("longer than 268435456 bytes"));
}

QTEST_GUILESS_MAIN(test_line_reader)
#include "test_line_reader.moc"

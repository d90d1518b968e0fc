// The labels file: its place beside the data, the round trip, an interrupted write, and bad rows.
#include "data/labels/labels_file.h"

#include "support/full_disk.h"
#include "support/temp_folder.h"
#include "support/zip_writer.h"

#include <QDir>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/resource.h>

namespace {

QString text_of(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString("(missing)");
}

} // namespace

TEST(labels_file, lies_beside_the_data_named_after_it)
{
    temp_folder dir;
    test_support::zip_of({{"inner/x.csv.gz", "a"}}, dir.path("pack.zip"));
    const std::pair<QString, QString> rows[] = {{"/d/x.csv", "/d/x.labels.csv"},
                                                {"/d/x.CSV.gz", "/d/x.labels.csv"},
                                                {"/d/a.b.txt", "/d/a.b.labels.csv"},
                                                {"/d/plain", "/d/plain.labels.csv"},
                                                {dir.path("pack.zip/inner/x.csv.gz"), dir.path("x.labels.csv")}};
    for (const auto& [data, labels] : rows)
        EXPECT_EQ(labels_file::path_for(data), labels) << data.toStdString();
}

TEST(labels_file, round_trip_keeps_every_segment_and_note)
{
    temp_folder dir;
    label_segments s;
    s.set_range("", 1399010400000, 1399010400250, "walking", "#2"); // a leading # is quoted
    s.set_range("Eagle, \"7\"", 1399010400999, 1399010460000, "flapping", "gust,\nthen calm");
    s.set_range("Eagle, \"7\"", 4102444800000, 4102444800001, "h\u00f6ckern"); // far outside any data
    const QString path = dir.path("x.labels.csv");
    ASSERT_EQ(labels_file::write(path, s), "");
    EXPECT_EQ(text_of(path), "animal,start_utc,end_utc,label,note\n"
                             ",2014-05-02T06:00:00.000Z,2014-05-02T06:00:00.250Z,walking,\"#2\"\n"
                             "\"Eagle, \"\"7\"\"\",2014-05-02T06:00:00.999Z,2014-05-02T06:01:00.000Z,flapping,"
                             "\"gust,\nthen calm\"\n"
                             "\"Eagle, \"\"7\"\"\",2100-01-01T00:00:00.000Z,2100-01-01T00:00:00.001Z,h\u00f6ckern,\n");
    const labels_file::result r = labels_file::read(path);
    EXPECT_EQ(r.failure, "");
    EXPECT_TRUE(r.warnings.isEmpty()) << r.warnings.join("\n").toStdString();
    EXPECT_EQ(r.segments.all(), s.all());
    EXPECT_EQ(r.labels, QStringList({"walking", "flapping", "h\u00f6ckern"}));
}

TEST(labels_file, an_interrupted_write_leaves_the_old_file_intact)
{
    temp_folder dir;
    const QString path = dir.path("x.labels.csv");
    label_segments small;
    small.set_range("", 0, 1000, "resting");
    ASSERT_EQ(labels_file::write(path, small), "");
    const QString before = text_of(path);

    label_segments big;
    for (qint64 i = 0; i < 2000; ++i)
        big.set_range("", i * 1000, i * 1000 + 500, "walking");
    // The disk fills up after 4 KiB: the write breaks off half way.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &tight);
    const QString failure = labels_file::write(path, big);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_TRUE(failure.startsWith("The labels file " + QDir::toNativeSeparators(path) + " cannot be written"))
        << failure.toStdString();
    EXPECT_EQ(text_of(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"x.labels.csv"});
}

// A small file sits in the write buffer until commit, where a full disk was missed and an empty
// file replaced the old one.
TEST(labels_file, a_full_disk_at_commit_leaves_the_old_file_whole)
{
    full_disk disk;
    label_segments s;
    for (qint64 i = 0; i < 91; ++i)
        s.set_range("", i * 1000, i * 1000 + 500, "walking");
    const QString path = disk.path("x.labels.csv");
    ASSERT_TRUE(test_support::write_file(path, labels_file::to_csv(s)));
    disk.fill();
    s.set_range("", 91000, 91500, "resting");
    const QString failure = labels_file::write(path, s);
    EXPECT_TRUE(failure.startsWith("The labels file " + QDir::toNativeSeparators(path) + " cannot be written: "))
        << failure.toStdString();
    EXPECT_EQ(labels_file::read(path).segments.size(), 91u);
    EXPECT_FALSE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).join(' ').contains(".labels.csv."));
}

TEST(labels_file, bad_rows_are_named_the_later_row_wins_and_nothing_is_lost)
{
    temp_folder dir;
    const QString path = dir.write("x.labels.csv", "\xef\xbb\xbf"
                                                   "label,end_utc,start_utc,animal\r\n"
                                                   "walking,2014-05-02T06:10:00Z,2014-05-02T06:00:00Z,\r\n"
                                                   "walking,yesterday,2014-05-02T06:00:00Z,\r\n"
                                                   "dancing,2014-05-02T06:07:00.000Z,2014-05-02T06:05:00.000Z,\r\n"
                                                   ",2014-05-02T06:20:00Z,2014-05-02T06:15:00Z,\r\n"
                                                   "resting,2014-05-02T06:09:00Z,2014-05-02T06:09:00Z,\r\n");
    const labels_file::result r = labels_file::read(path);
    const QString shown = QDir::toNativeSeparators(path);
    EXPECT_EQ(r.failure, "");
    EXPECT_EQ(r.skipped_lines, 3);
    EXPECT_EQ(r.warnings,
              QStringList({"The labels file " + shown + ": line 3 is skipped: the end \"yesterday\" is not an ISO 8601 time.",
                           "The labels file " + shown + ": line 5 is skipped: it has no label.",
                           "The labels file " + shown + ": line 6 is skipped: the end is not after the start.",
                           "The labels file " + shown +
                               ": 1 row(s) overlap earlier rows, the first on line 4; where they overlap, "
                               "the later row wins."}));
    EXPECT_TRUE(r.rewrite_loses_data());
    const qint64 six = 1399010400000;
    EXPECT_EQ(r.segments.label_at("", six + 299999), "walking");
    EXPECT_EQ(r.segments.label_at("", six + 300000), "dancing");
    EXPECT_EQ(r.segments.label_at("", six + 420000), "walking");
    EXPECT_EQ(r.labels, QStringList({"walking", "dancing"}));

    const labels_file::result wrong = labels_file::read(dir.write("y.labels.csv", "time,behaviour\n1,2\n"));
    EXPECT_TRUE(wrong.failure.contains("is not the header")) << wrong.failure.toStdString();
    EXPECT_TRUE(wrong.rewrite_loses_data());
    EXPECT_EQ(labels_file::read(dir.path("none.labels.csv")).failure, "");
}

// Files no honest labels file resembles are refused whole, naming the file and why; a field past the
// cap skips its line only.
TEST(labels_file, a_fifo_a_huge_file_and_a_huge_field_are_refused)
{
    temp_folder dir;
    const QString fifo = dir.path("fifo.labels.csv");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.write_with_hole("huge.labels.csv", "animal,start_utc,end_utc,label,note\n",
                                             labels_file::max_bytes);
    const QByteArray row = ",2014-05-02T06:00:00Z,2014-05-02T06:10:00Z,walking,";
    const QString note = dir.write("note.labels.csv", "animal,start_utc,end_utc,label,note\n" + row +
                                                          QByteArray(labels_file::max_field_chars + 1, 'n') +
                                                          "\n" + row + QByteArray(labels_file::max_field_chars, 'n'));
    const std::pair<QString, QString> refused[] = {
        {fifo, "it is not a regular file."},
        {huge, "it is 256.0 MB, more than the 256 MB a labels file may be."}};
    for (const auto& [path, why] : refused)
        EXPECT_EQ(labels_file::read(path).failure,
                  "The labels file " + QDir::toNativeSeparators(path) + " cannot be read: " + why);
    const labels_file::result r = labels_file::read(note);
    EXPECT_EQ(r.warnings.value(0), "The labels file " + QDir::toNativeSeparators(note) +
                                       ": line 2 is skipped: a field is longer than 65536 characters.");
    EXPECT_EQ(r.segments.size(), 1u);
    EXPECT_TRUE(r.rewrite_loses_data());
}

// Rows are painted newest first: in any order the later row wins, exactly as rows applied one by one.
TEST(labels_file, any_order_of_rows_reads_as_rows_applied_in_turn)
{
    temp_folder dir;
    std::mt19937 random(7);
    label_segments in_turn;
    QByteArray csv = "animal,start_utc,end_utc,label,note\n";
    const char* names[] = {"walking", "resting", "flying"};
    for (int i = 0; i < 3000; ++i) {
        // Mostly newest first, a third overlapping the rows before.
        const qint64 start = (3000 - i) * 1000 - qint64(random() % 3) * 700;
        const qint64 end = start + 500 + qint64(random() % 3) * 600;
        const QString animal = i % 7 == 0 ? "Ann" : "";
        const QString label = names[random() % 3];
        in_turn.set_range(animal, start, end, label);
        csv += (animal + "," + labels_file::format_time(start) + "," + labels_file::format_time(end) + "," +
                label + ",\n").toUtf8();
    }
    const labels_file::result r = labels_file::read(dir.write("x.labels.csv", csv));
    EXPECT_EQ(r.segments.all(), in_turn.all());
    EXPECT_TRUE(r.warnings.value(0).contains("row(s) overlap earlier rows")) << r.warnings.value(0).toStdString();
}

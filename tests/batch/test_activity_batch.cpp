// dornvale-batch activity, run as the real program without a display: outputs, lines, exit codes.
#include "batch/activity_batch.h"
#include "batch/classify_batch.h"
#include "batch/metrics_batch.h"
#include "batch/no_progress.h"
#include "batch/track_batch.h"
#include "batch/train_batch.h"
#include "data/model/activity_csv.h"
#include "views/activity/activity_plot.h"
#include "data/model/burst_space.h"
#include "data/load/eobs_loader.h"
#include "data/rhythm/rhythm_csv.h"

#include "support/acc_layouts.h"
#include "support/batch_run.h"
#include "support/download_layouts.h"
#include "support/full_disk.h"
#include "support/temp_folder.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>

#include <sstream>

namespace {

const QByteArray fixed_header = test_support::acc_fixed_header + "\n";

// Two days: bursts on 2014-05-02 and 2014-05-03.
const QByteArray fixed_file = fixed_header + "1a,22,2014-05-02 13:00:00.000,10,XYZ,1 2 3 4 5 6 7 8 9\n"
                                             "1a,22,2014-05-02 13:10:00.000,10,XYZ,9 9 9 1 1 1\n"
                                             "1a,22,2014-05-03 01:00:00.000,10,XYZ,1 2 3 9 9 9\n";
// The "eobs_" layout, read by the second reader of the chain.
const QByteArray mbd_file =
    test_support::acc_mbd_event_header + "\n1,XYZ,1 2 3 4 5 6,2014-05-02 13:00:00.000,20\n";

// A file read by the program's own loader chain.
std::unique_ptr<eobs_acc_loader> load(const QString& path)
{
    test_support::streams_capture quiet;
    no_progress progress;
    return std::make_unique<eobs_acc_loader>(path, &progress);
}

// The CSV the program's own chain and calculator give for a file.
QByteArray expected_csv(const QString& path)
{
    const auto loaded = load(path);
    if (loaded->status != ELS_SUCCESS)
        return "not loaded";
    test_support::debug_capture quiet;
    const activity_calculator calc(*loaded->space);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    write_activity_csv(calc, buffer, nullptr);
    return buffer.data();
}

QByteArray bytes_of(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
}

const QString usage = QStringLiteral(
    "usage: dornvale-batch activity [--png OUT.png] [--csv OUT.csv] [--summary OUT.csv] [--sun]\n"
    "                               [--utc-offset MINUTES] [--figure OUT.png|svg|pdf] FILE...\n");

} // namespace

class test_activity_batch : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void good_unrecognised_and_missing();
    void all_good_exits_zero();
    void csv_only_to_a_named_file();
    void outputs_into_a_folder();
    void unwritable_output_fails_that_file();
    void never_overwrites_an_input_or_an_earlier_output();
    void names_printed_as_they_are_on_one_line();
    void every_animal_of_a_file_and_every_lost_line();
    void refusals_name_the_fault();
    void an_animal_with_fixes_only_is_named();
    void usage_errors_data();
    void usage_errors();
    void summary_and_sun_of_every_animal();
    void figure_as_png_svg_or_pdf();

private:
    std::unique_ptr<temp_folder> dir;
};

void test_activity_batch::init()
{
    dir = std::make_unique<temp_folder>();
    QVERIFY(dir->valid());
}

void test_activity_batch::good_unrecognised_and_missing()
{
    dir->write("tag1.csv", fixed_file);
    dir->write("notes.txt", "date,comment\n2014-05-02,sunny\n");
    dir->write("tag2.acc.csv", mbd_file);
    QVERIFY(QDir(dir->path()).mkdir("folder"));
    const run_result r =
        run({"activity", "tag1.csv", "notes.txt", "gone.csv", "folder", "tag2.acc.csv"}, dir->path());
    QCOMPARE(r.code, 1);
    const QString d = dir->path();
    QCOMPARE(r.out,
             QStringLiteral("tag1.csv: 3 bursts -> %1/tag1-activity.csv, %1/tag1-activity.png\n"
                            "tag2.acc.csv: 1 burst -> %1/tag2.acc-activity.csv, %1/tag2.acc-activity.png\n")
                 .arg(d));
    QCOMPARE(r.err, QStringLiteral("dornvale-batch: notes.txt: File format not recognized.\n"
                                   "dornvale-batch: gone.csv: File does not exist.\n"
                                   "dornvale-batch: folder: Is a folder, not a file.\n"));

    // The values are those of the program's own readers and calculator.
    QCOMPARE(bytes_of(d + "/tag1-activity.csv"), expected_csv(d + "/tag1.csv"));
    QCOMPARE(bytes_of(d + "/tag2.acc-activity.csv"), expected_csv(d + "/tag2.acc.csv"));
    const QByteArray csv = bytes_of(d + "/tag1-activity.csv");
    QCOMPARE(csv.count('\n'), 2 * 240 + 1);
    QVERIFY(csv.startsWith("bin_start_utc,day,bin_of_day,samples,activity\n2014-05-02T00:00:00Z,0,0,0,0\n"));
    QVERIFY(csv.contains("\n2014-05-02T13:00:00Z,0,130,3,3\n"));
    QVERIFY(csv.contains("\n2014-05-02T13:06:00Z,0,131,2,8\n2014-05-02T13:12:00Z,0,132,0,0\n"));
    QVERIFY(csv.contains("\n2014-05-03T01:00:00Z,1,10,2,7\n"));
    QVERIFY(csv.endsWith("\n2014-05-03T23:54:00Z,1,239,0,0\n"));

    // The picture: the default plot of the file. Its text is drawn in the font that process has, so
    // the bins and the grid are compared.
    const QImage png(d + "/tag1-activity.png");
    QCOMPARE(png.size(), QSize(512, (2 + 4) * 16));
    QImage expected;
    {
        const auto loaded = load(d + "/tag1.csv");
        QCOMPARE(loaded->status, ELS_SUCCESS);
        test_support::debug_capture quiet;
        expected = activity_plot_image(*loaded->space, QFileInfo(d + "/tag1.csv").absoluteFilePath());
    }
    const QImage got = png.convertToFormat(QImage::Format_RGB888);
    QCOMPARE(got.copy(0, 64, 242, got.height() - 64), expected.copy(0, 64, 242, got.height() - 64));
    QCOMPARE(qRed(got.pixel(131, 70)), 0); // the largest activity (8, in bin 131) is black
    int header_ink = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 512; ++x)
            header_ink += got.pixel(x, y) != qRgb(255, 255, 255);
    QVERIFY(header_ink > 500);

    QVERIFY(!QFile::exists(d + "/notes-activity.csv"));
    QVERIFY(!QFile::exists(d + "/gone-activity.csv"));
    QCOMPARE(bytes_of(d + "/notes.txt"), QByteArray("date,comment\n2014-05-02,sunny\n"));
}

void test_activity_batch::all_good_exits_zero()
{
    dir->write("a.csv", fixed_file);
    dir->write("b.csv", mbd_file);
    const run_result r = run({"activity", dir->path("a.csv"), "b.csv"}, dir->path());
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.count('\n'), 2);
    QVERIFY(QFile::exists(dir->path("a-activity.png")));
    QVERIFY(QFile::exists(dir->path("b-activity.png")));
}

void test_activity_batch::csv_only_to_a_named_file()
{
    dir->write("a.csv", fixed_file);
    QVERIFY(QDir(dir->path()).mkdir("out"));
    const QString out = dir->path("out/numbers.csv");
    const run_result r = run({"activity", "--csv", out, "a.csv"}, dir->path());
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("a.csv: 3 bursts -> %1\n").arg(out));
    QCOMPARE(bytes_of(out), expected_csv(dir->path("a.csv")));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"a.csv"});
    QCOMPARE(QDir(dir->path("out")).entryList(QDir::Files), QStringList{"numbers.csv"});
}

void test_activity_batch::outputs_into_a_folder()
{
    dir->write("a.csv", fixed_file);
    dir->write("b.csv", mbd_file);
    QVERIFY(QDir(dir->path()).mkdir("pics"));
    const QString pics = dir->path("pics");
    const run_result r = run({"activity", "--png", pics, "a.csv", "b.csv"}, dir->path());
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out,
             QStringLiteral("a.csv: 3 bursts -> %1/a-activity.png\nb.csv: 1 burst -> %1/b-activity.png\n")
                 .arg(pics));
    QCOMPARE(QDir(pics).entryList(QDir::Files), (QStringList{"a-activity.png", "b-activity.png"}));
    QCOMPARE(QImage(pics + "/b-activity.png").size(), QSize(512, 80));
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), (QStringList{"a.csv", "b.csv"}));
}

void test_activity_batch::unwritable_output_fails_that_file()
{
    dir->write("a.csv", fixed_file);
    dir->write("b.csv", mbd_file);
    dir->write("blocker", "keep");
    // A folder named like a's CSV output: a fails, b goes on.
    QVERIFY(QDir(dir->path()).mkdir("a-activity.csv"));
    const run_result r = run({"activity", "a.csv", "b.csv"}, dir->path());
    QCOMPARE(r.code, 1);
    const QString prefix =
        QStringLiteral("dornvale-batch: a.csv: can't write %1/a-activity.csv: ").arg(dir->path());
    QVERIFY2(r.err.startsWith(prefix) && r.err.count('\n') == 1 && r.err.size() > prefix.size() + 2,
             qPrintable(r.err));
    QCOMPARE(r.out,
             QStringLiteral("b.csv: 1 burst -> %1/b-activity.csv, %1/b-activity.png\n").arg(dir->path()));
    QVERIFY(!QFile::exists(dir->path("a-activity.png")));
}

void test_activity_batch::never_overwrites_an_input_or_an_earlier_output()
{
    dir->write("a.csv", fixed_file);
    QVERIFY(QDir(dir->path()).mkdir("x"));
    QFile::copy(dir->path("a.csv"), dir->path("x/a.csv"));
    dir->write("b.csv", mbd_file);
    QVERIFY(QDir(dir->path()).mkdir("out"));
    // Two inputs named alike into one folder: the second would replace the first's picture.
    const run_result same = run({"activity", "--png", "out", "a.csv", "x/a.csv", "b.csv"}, dir->path());
    QCOMPARE(same.code, 1);
    QCOMPARE(same.err, QStringLiteral("dornvale-batch: x/a.csv: out/a-activity.png is an input or an earlier "
                                      "output of this run; nothing written\n"));
    QCOMPARE(same.out,
             QStringLiteral("a.csv: 3 bursts -> out/a-activity.png\nb.csv: 1 burst -> out/b-activity.png\n"));

    // An output named like the input: the input stays as it was.
    const run_result self = run({"activity", "--csv", "b.csv", "b.csv"}, dir->path());
    QCOMPARE(self.code, 1);
    QCOMPARE(self.err,
             QStringLiteral("dornvale-batch: b.csv: b.csv is an input or an earlier output of this run; "
                            "nothing written\n"));
    QCOMPARE(self.out, QString());
    QCOMPARE(bytes_of(dir->path("b.csv")), mbd_file);

    // Nor through a link to it.
    QVERIFY(QFile::link("b.csv", dir->path("link.csv")));
    const run_result linked = run({"activity", "--csv", "link.csv", "b.csv"}, dir->path());
    QVERIFY2(linked.code == 1 && linked.err.startsWith("dornvale-batch: b.csv: link.csv is an input"),
             qPrintable(linked.err));
    QCOMPARE(bytes_of(dir->path("b.csv")), mbd_file);
}

void test_activity_batch::names_printed_as_they_are_on_one_line()
{
    // A "%1" stays as written and a newline shows as \n; a name Qt could not decode is said to be one.
    dir->write("p%1\nq.csv", fixed_file);
    QCOMPARE(run({"activity", "--csv", "out.csv", "p%1\nq.csv"}, dir->path()).out,
             QStringLiteral("p%1\\nq.csv: 3 bursts -> out.csv\n"));
    std::ostringstream out, err;
    QCOMPARE(activity_batch::run({"activity", QStringLiteral("b\uFFFD.csv")}, out, err), 1);
    QVERIFY(
        QString::fromStdString(err.str()).contains("b\uFFFD.csv: The name is not valid in this system's"));
}

void test_activity_batch::every_animal_of_a_file_and_every_lost_line()
{
    // Ann one day, Bob two; Cid's bursts 23 years apart are refused; a start time split over two
    // lines by a quoted line end loses both lines.
    dir->write("herd.csv", test_support::named_acc_header +
                               "\nAnn,2014-05-02 13:00:00.000,XYZ,10,1 2 3\n"
                               "Bob,2014-05-02 13:00:00.000,XYZ,10,1 2 3 4 5 6\n"
                               "Cid,1991-01-01 00:00:00.000,XYZ,10,1 2 3\n"
                               "Bob,2014-05-03 01:00:00.000,XYZ,10,1 2 3\n"
                               "Cid,2014-05-02 00:00:00.000,XYZ,10,1 2 3\n"
                               "Bob,\"2014-05-03\n02:00:00.000\",XYZ,10,1 2 3\n");
    const run_result r = run({"activity", "--csv", ".", "herd.csv"}, dir->path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("herd.csv (animal Ann): 1 burst -> ./herd-Ann-activity.csv\n"
                                   "herd.csv (animal Bob): 2 bursts -> ./herd-Bob-activity.csv\n"));
    const QStringList err = r.err.split('\n');
    QCOMPARE(err.size(), 3);
    QVERIFY2(err[0].startsWith("dornvale-batch: herd.csv (animal Cid): The activity plot is not drawn"),
             qPrintable(err[0]));
    QCOMPARE(err[1], QStringLiteral("dornvale-batch: herd.csv: 2 lines could not be read (a wrong number of "
                                    "fields, an unclosed quote or a line too long) and were left out"));
    QCOMPARE(bytes_of(dir->path("herd-Ann-activity.csv")).count('\n'), 240 + 1);
    QCOMPARE(bytes_of(dir->path("herd-Bob-activity.csv")).count('\n'), 2 * 240 + 1);
    QVERIFY(!QFile::exists(dir->path("herd-Cid-activity.csv")));
}

void test_activity_batch::refusals_name_the_fault()
{
    dir->write("empty.csv", "");
    dir->write("no_raw.csv",
               "individual-local-identifier,eobs:start-timestamp,eobs:acceleration-axes,"
               "eobs:acceleration-sampling-frequency-per-axis\nAnn,2014-05-02 13:00:00.000,XYZ,10\n");
    dir->write("track.csv", test_support::named_gps_header + "\nAnn,8.5,47.25,2014-05-02 10:00:00.000\n");
    const run_result r = run({"activity", "empty.csv", "no_raw.csv", "track.csv"}, dir->path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("dornvale-batch: empty.csv: The file is empty.\n"
                                   "dornvale-batch: no_raw.csv: The file lacks the column "
                                   "\"eobs:accelerations-raw\" that an acceleration download needs.\n"
                                   "dornvale-batch: track.csv: The file is a GPS export, not an acceleration "
                                   "export.\n"));
}

void test_activity_batch::an_animal_with_fixes_only_is_named()
{
    dir->write("mixed.csv", "individual-local-identifier," + test_support::mixed_sensor_header +
                                "\nAnn,2014-05-02 10:00:00.000,gps,8.5,47.25,,,\n"
                                "Ann,2014-05-02 10:00:00.000,acceleration,,,XYZ,10,1 2 3\n"
                                "Dan,2014-05-02 10:00:00.000,gps,8.6,47.25,,,\n");
    const run_result r = run({"activity", "--csv", ".", "mixed.csv"}, dir->path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("mixed.csv (animal Ann): 1 burst -> ./mixed-Ann-activity.csv\n"));
    QCOMPARE(r.err, QStringLiteral("dornvale-batch: mixed.csv (animal Dan): GPS fixes only, no acceleration "
                                   "bursts; nothing written\n"));
}

void test_activity_batch::usage_errors_data()
{
    add_columns<QStringList, QString>("args",
                                      "message"); // the line before the usage line
    add_row("nothing", QStringList{}, QString());
    add_row("unknown command", QStringList{"plot", "a.csv"},
            QStringLiteral("dornvale-batch: unknown command \"plot\"\n"));
    add_row("no file", QStringList{"activity"}, QStringLiteral("dornvale-batch: no input file\n"));
    add_row("unknown option", QStringList{"activity", "--svg", "x.svg", "a.csv"},
            QStringLiteral("dornvale-batch: unknown option \"--svg\"\n"));
    add_row("option without name", QStringList{"activity", "a.csv", "--csv"},
            QStringLiteral("dornvale-batch: --csv needs a file or folder name\n"));
    add_row("offset beyond a day", QStringList{"activity", "--utc-offset", "900", "a.csv"},
            QStringLiteral("dornvale-batch: --utc-offset needs whole minutes from -720 to 840\n"));
    add_row("one name, two files", QStringList{"activity", "--png", "one.png", "a.csv", "b.csv"},
            QStringLiteral(
                "dornvale-batch: \"one.png\" must be an existing folder when more than one file is given\n"));
}

void test_activity_batch::usage_errors()
{
    auto [args, message] = fetch<QStringList, QString>("args", "message");
    dir->write("a.csv", fixed_file);
    dir->write("b.csv", fixed_file);
    const run_result r = run(args, dir->path());
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    // Without a known command every command's usage follows.
    const QString rest = args.value(0) == "activity"
                             ? QString()
                             : QString(metrics_batch::usage) + track_batch::usage + train_batch::usage +
                                   classify_batch::usage;
    QCOMPARE(r.err, message + usage + rest);
    // Nothing is read or written.
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), (QStringList{"a.csv", "b.csv"}));

    const run_result help = run({"activity", "--help"}, dir->path());
    QCOMPARE(help.code, 0);
    QCOMPARE(help.out, usage);
    QCOMPARE(help.err, QString());
}

void test_activity_batch::summary_and_sun_of_every_animal()
{
    // Ann: two days, one fix in London on the first; Bob: one day, no fix.
    dir->write("herd-acc.csv", test_support::named_acc_header +
                                   "\nAnn,2014-05-02 13:00:00.000,XYZ,10,1 2 3 4 5 6\n"
                                   "Bob,2014-05-02 13:00:00.000,XYZ,10,1 2 3 4 5 6\n"
                                   "Ann,2014-05-03 01:00:00.000,XYZ,10,1 2 3 9 9 9\n");
    // A fix off the earth is left out and said; it moves neither the median nor the sun.
    dir->write("herd-gps.csv", test_support::named_gps_header +
                                   "\nAnn,-0.1278,51.5074,2014-05-02 12:00:00.000\nAnn,1e308,-1e308,2014-05-02 13:00:00.000\n");
    const run_result r = run({"activity", "--summary", "sum.csv", "--sun", "herd-acc.csv"}, dir->path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QStringLiteral("herd-acc.csv (animal Ann): 2 bursts -> sum.csv (a row), herd-acc-Ann-sun.csv\n"));
    QCOMPARE(r.err, QStringLiteral("dornvale-batch: herd-gps.csv: 1 fix had a position out of range (a latitude outside "
                                   "-90..90, a longitude outside -180..180, or not a number) and was left out\ndornvale-batch: herd-acc.csv (animal Bob): no GPS fixes (no GPS partner "
                                   "file, or none of this animal's); herd-acc-Bob-sun.csv not written\n"));
    const QList<QByteArray> rows = bytes_of(dir->path() + "/sum.csv").split('\n');
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0] + '\n', QByteArray(rhythm_summary_header));
    QVERIFY2(rows[1].startsWith("herd-acc-Ann.csv,2,"), rows[1]);
    QVERIFY2(rows[2].startsWith("herd-acc-Bob.csv,1,") && rows[2].endsWith(",NA,NA,NA,NA,NA"), rows[2]);
    // The day without fixes takes the median of all; London's sunrise on 2 May is 05:3x BST.
    const QList<QByteArray> sun = bytes_of(dir->path() + "/herd-acc-Ann-sun.csv").split('\n');
    QCOMPARE(sun.size(), 4);
    QCOMPARE(sun[0] + '\n', QByteArray(sun_table_header));
    QVERIFY2(sun[1].startsWith("2014-05-02,51.5074,-0.1278,2014-05-02T04:3"), sun[1]);
    QVERIFY2(sun[2].startsWith("2014-05-03,51.5074,-0.1278,2014-05-03T04:"), sun[2]);
    // Without --csv or --png nothing else is written.
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files).size(), 4);

    // A summary named as an input is refused before anything is read, and the input stays.
    const QByteArray input = bytes_of(dir->path() + "/herd-acc.csv");
    const run_result over = run({"activity", "--summary", "herd-acc.csv", "herd-acc.csv"}, dir->path());
    QCOMPARE(over.code, 2);
    QVERIFY2(over.err.startsWith("dornvale-batch: herd-acc.csv is an input; the summary would replace it\n"),
             qPrintable(over.err));
    QCOMPARE(bytes_of(dir->path() + "/herd-acc.csv"), input);

    // On a full disk the summary is not written, the run fails, and the old summary stays.
    full_disk disk;
    QVERIFY(test_support::write_file(disk.path("sum.csv"), "old"));
    disk.fill();
    const run_result full = run({"activity", "--summary", disk.path("sum.csv"), "herd-acc.csv"}, dir->path());
    QCOMPARE(full.code, 1);
    QVERIFY2(full.err.startsWith("dornvale-batch: can't write " + disk.path("sum.csv") + ": "), qPrintable(full.err));
    QCOMPARE(bytes_of(disk.path("sum.csv")), QByteArray("old"));
}

void test_activity_batch::figure_as_png_svg_or_pdf()
{
    dir->write("a.csv", fixed_file);
    for (const auto& [suffix, magic] :
         {std::make_pair("png", "\x89PNG\r\n"), {"svg", "<?xml"}, {"pdf", "%PDF-"}}) {
        const QString out = dir->path(QStringLiteral("fig.") + suffix);
        const run_result r = run({"activity", "--figure", out, "a.csv"}, dir->path());
        QCOMPARE(r.err, QString());
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("a.csv: 3 bursts -> %1\n").arg(out));
        QVERIFY2(bytes_of(out).startsWith(magic), suffix);
    }
    // The PNG at twice the figure's size.
    const auto loaded = load(dir->path("a.csv"));
    test_support::debug_capture quiet;
    const activity_calculator calc(*loaded->space);
    QCOMPARE(QImage(dir->path("fig.png")).size(),
             activity_figure_size(calc, "a.csv", activity_plot_options()) * 2);
    // Nine years of rows make a PNG over 100 Mpixel: refused, nothing written; SVG still goes.
    dir->write("long.csv", fixed_header + "1a,22,2014-05-02 13:00:00.000,10,XYZ,1 2 3 4 5 6\n"
                                          "1a,22,2023-05-02 13:00:00.000,10,XYZ,1 2 3 4 5 6\n");
    const run_result refused = run({"activity", "--figure", "long.png", "long.csv"}, dir->path());
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.err.startsWith("dornvale-batch: long.csv: can't write long.png: a PNG of ") &&
                 refused.err.contains(" pixels is too large; write SVG or PDF"),
             qPrintable(refused.err));
    QVERIFY(!QFileInfo::exists(dir->path("long.png")));
    QCOMPARE(run({"activity", "--figure", "long.svg", "long.csv"}, dir->path()).code, 0);
}

QTEST_MAIN(test_activity_batch)
#include "test_activity_batch.moc"

// dornvale-batch metrics, run as the real program: its lines, and each table's units line, header
// and label column.
#include "batch/metrics_batch.h"
#include "data/metrics/burst_table_csv.h"
#include "support/acc_layouts.h"
#include "views/metrics/burst_table_export.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

namespace {

struct run_result
{
    int code = -1;
    QString out, err;
};

run_result run(const QStringList& args, const QString& folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(DORNVALE_BINARY_DIR "/dornvale-batch"), args);
    run_result r;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        r = {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
             QString::fromLocal8Bit(process.readAllStandardError())};
    return r;
}

QList<QByteArray> lines_of(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>();
}

} // namespace

TEST(metrics_batch, writes_each_table_with_its_units_and_labels_and_names_what_failed)
{
    temp_folder dir;
    const QByteArray header = test_support::acc_fixed_header + "\n";
    dir.write("a_acc.txt", header + "1a,4711,2014-05-02 06:00:00.000,10,XYZ,2048 2048 2560 2048 2048 2560\n"
                                    "1a,4711,2014-05-02 06:10:00.000,10,XYZ,1 2 3\n");
    dir.write("a_acc.labels.csv", "animal,start_utc,end_utc,label,note\n"
                                  ",2014-05-02T06:00:00.000Z,2014-05-02T06:10:00.000Z,resting,\n");
    dir.write("b_acc.txt", header + "1a,stork,2014-05-02 06:00:00.000,10,XYZ,1 2 3\n\"unclosed,quote\n");

    const run_result r = run({"metrics", "--static-window", "2", "a_acc.txt", "b_acc.txt", "gone.txt"}, dir.path());
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "a_acc.txt: 2 bursts -> a_acc-metrics.csv\nb_acc.txt: 1 burst -> b_acc-metrics.csv\n");
    EXPECT_EQ(r.err, "dornvale-batch: b_acc.txt: 1 line could not be read (a wrong number of fields, an unclosed "
                     "quote or a line too long) and was left out\n"
                     "dornvale-batch: gone.txt: File does not exist.\n");

    const QList<QByteArray> a = lines_of(dir.path("a_acc-metrics.csv"));
    ASSERT_EQ(a.size(), 5);
    EXPECT_EQ(a[0], "# units=g static=running-mean window_s=2 calibration=default-by-tag");
    EXPECT_EQ(a[1] + '\n', burst_table_header);
    // Two samples of 0, 0, 1 g (Y inverted: -0 g): burst 0 lies in the resting segment, burst 1 after it.
    EXPECT_TRUE(a[2].startsWith(",4711,0,2014-05-02T06:00:00.000Z,2,10,0,0,0,0,5,0,"));
    EXPECT_TRUE(a[2].endsWith(",resting"));
    EXPECT_TRUE(a[3].startsWith(",4711,1,2014-05-02T06:10:00.000Z,1,10,")) << a[3].constData();
    EXPECT_TRUE(a[3].endsWith(",")) << a[3].constData();
    EXPECT_EQ(lines_of(dir.path("b_acc-metrics.csv")).value(0), "# units=raw static=running-mean window_s=2 calibration=none");

    EXPECT_EQ(run({"metrics", "--static-window", "0", "a_acc.txt"}, dir.path()).code, 2);
    // An unreadable labels file fails the run; the table is written without labels.
    dir.write("a_acc.labels.csv", "not a header\n");
    const run_result unlabelled = run({"metrics", "a_acc.txt"}, dir.path());
    EXPECT_EQ(unlabelled.code, 1);
    EXPECT_TRUE(lines_of(dir.path("a_acc-metrics.csv")).value(2).endsWith(",")) << unlabelled.err.toStdString();
}

// Each animal of a download takes its tag's default: Z 512 units are 512 * 0.0027 g on 2241, 1 g on 4711.
TEST(metrics_batch, gives_each_animal_of_a_download_the_default_of_its_tag)
{
    temp_folder dir;
    const QByteArray burst = ",2014-05-02 06:00:00.000,XYZ,10,2048 2048 2560 2048 2048 2560\n";
    dir.write("herd.csv", "individual-local-identifier,tag-local-identifier,eobs:start-timestamp,"
                          "eobs:acceleration-axes,eobs:acceleration-sampling-frequency-per-axis,"
                          "eobs:accelerations-raw\nA,2241" + burst + "B,4711" + burst);
    const run_result r = run({"metrics", "herd.csv"}, dir.path());
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    for (const auto& [animal, mean_z] : {std::pair<QString, QByteArray>("A", "1.3824"), {"B", "1"}}) {
        const QList<QByteArray> table = lines_of(dir.path("herd-" + animal + "-metrics.csv"));
        EXPECT_EQ(table.value(0), "# units=g static=burst-mean calibration=default-by-tag");
        const int z = QByteArray(burst_table_header).split(',').indexOf("mean_z");
        EXPECT_EQ(table.value(2).split(',').value(z), mean_z);
    }
}

// File > Export Bursts proposes the name the batch writes, for any script: "Störche 1" once lost its ö.
TEST(metrics_batch, names_a_table_as_the_export_window_proposes_it)
{
    for (const QString& animal : {QString(), QString("Störche 1"), QString("A/b:c")})
        EXPECT_EQ(burst_table_export::proposed_path("/d/herd.csv.gz", animal),
                  metrics_batch::output_path("", "/d/herd.csv.gz", animal));
    EXPECT_EQ(metrics_batch::output_path("", "/d/herd.csv.gz", "Störche 1"), "/d/herd.csv-Störche_1-metrics.csv");
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

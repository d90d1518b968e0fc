// dornvale-batch train and classify, run as the real program: a file of three known behaviours,
// two thirds of it labelled, trains a model that names the rest.
#include "support/behaviour_table.h"
#include "support/temp_folder.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

struct run_result
{
    int code = -1;
    QString out, err;
};

QByteArray bytes_of(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

run_result run(const QStringList& args)
{
    QProcess p;
    p.start(DORNVALE_BINARY_DIR "/dornvale-batch", args);
    run_result r;
    if (p.waitForFinished(120000)) {
        r.code = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
    }
    return r;
}

} // namespace

TEST(classify_batch, trains_on_labels_then_names_the_unlabelled_bursts)
{
    temp_folder dir;
    const QString data = dir.write("stork.csv", behaviour_file(90));
    // Names with a comma, a line break and a formula's start: each stays on its own burst.
    QByteArray labels = labels_for(60).replace(",rest,", ",\"rest, lying\",").replace(",fly,", ",-fly,");
    dir.write("stork.labels.csv", labels.replace(",walk,", ",\"walk\nslow\","));
    const QString model = dir.path("m.dvmodel");

    const run_result trained = run({"train", "--out", model, "--folds", "4", data});
    ASSERT_EQ(trained.code, 0) << trained.err.toStdString();
    EXPECT_TRUE(trained.out.contains("stork.csv: 90 bursts, 60 labelled\n")) << trained.out.toStdString();
    EXPECT_TRUE(trained.out.contains("4-fold stratified: accuracy 1.000 over 60 bursts"))
        << trained.out.toStdString();
    EXPECT_TRUE(trained.out.endsWith(QString("model of 3 behaviours -> %1\n").arg(model)));

    const QByteArray first = bytes_of(model);
    const run_result again = run({"train", "--out", model, data});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err.toStdString(),
              "dornvale-batch: " + model.toStdString() + ": exists; give --replace to write over it\n");
    EXPECT_EQ(bytes_of(model), first);
    // With --replace it is written over; the same seed gives the same model, byte for byte. The model
    // keeps its static part, and classify computes the figures with it.
    const QStringList seeded_run = {"train", "--out", model, "--folds", "4", "--seed", "5", "--static-window", "0.5",
                                    "--replace", data};
    ASSERT_EQ(run(seeded_run).code, 0);
    const QByteArray seeded = bytes_of(model);
    EXPECT_TRUE(seeded.contains("\"seed\": 5") && seeded.contains("\"static_window_s\": 0.5"));
    ASSERT_EQ(run(seeded_run).code, 0);
    EXPECT_EQ(bytes_of(model), seeded);

    const run_result classified = run({"classify", "--model", model, data});
    ASSERT_EQ(classified.code, 0) << classified.err.toStdString();
    QFile table(dir.path("stork-classified.csv"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    // Each name as quoted for a spreadsheet, then one token for it: the rest splits on commas and lines.
    QByteArray text = table.readAll().replace("\"rest, lying\"", "R").replace("\"walk\nslow\"", "W");
    const QList<QByteArray> lines = text.replace("\"'-fly\"", "F").split('\n');
    ASSERT_EQ(lines.size(), 2 + 90 + 1);
    EXPECT_TRUE(lines[0].contains(" static=running-mean window_s=0.5 ")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",label,predicted,probability"));
    for (int i = 0; i < 90; ++i) {
        const QList<QByteArray> cells = lines[2 + i].split(',');
        ASSERT_EQ(cells.size(), 31) << i;
        const QByteArray name(1, "RWF"[i / 10 % 3]);
        EXPECT_EQ(cells[29], name) << i;
        EXPECT_EQ(cells[28], i < 60 ? name : "") << i;
    }
    // A label line skipped fails the run; the table is written all the same.
    dir.write("stork.labels.csv", labels + "broken\n");
    QFile::remove(table.fileName());
    EXPECT_EQ(run({"classify", "--model", model, data}).code, 1);
    EXPECT_TRUE(QFile::exists(table.fileName()));

    dir.write("other.dvmodel", "{\"format\": \"dornvale-behaviour-model\"}");
    const run_result refused = run({"classify", "--model", dir.path("other.dvmodel"), data});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.toStdString(),
              "dornvale-batch: other.dvmodel is damaged: its settings, behaviours or "
              "features are missing or wrong.\n");
}

TEST(classify_batch, train_writes_no_model_over_an_input_or_its_labels)
{
    temp_folder dir;
    const QString data = dir.write("stork.csv", behaviour_file(30));
    const QString labels = dir.write("stork.labels.csv", labels_for(20));
    const QByteArray data_bytes = bytes_of(data), label_bytes = bytes_of(labels);
    for (const QString& model : {data, labels}) {
        const run_result r = run({"train", "--out", model, "--replace", data});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err.toStdString(), "dornvale-batch: " + model.toStdString() +
                                           " is an input or an input's labels file; nothing written\n");
    }
    EXPECT_EQ(bytes_of(data), data_bytes);
    EXPECT_EQ(bytes_of(labels), label_bytes);
}

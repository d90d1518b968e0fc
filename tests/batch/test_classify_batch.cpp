// dornvale-batch train and classify, run as the real program: a file of three known behaviours,
// two thirds of it labelled, trains a model that names the rest.
#include "support/acc_layouts.h"
#include "support/temp_folder.h"

#include <QDateTime>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const char* const behaviours[] = {"rest", "walk", "fly"};

// Bursts 10 minutes apart from 2014-05-02T00:00Z, 40 samples at 20 Hz: rest is still, walk sways at
// 2 Hz, fly beats at 6 Hz; behaviour b for bursts [10k, 10k + 10) with b = k % 3.
QByteArray behaviour_file(int bursts)
{
    QByteArray text = test_support::acc_fixed_header + "\n";
    const QDateTime t0(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < bursts; ++i) {
        const int b = i / 10 % 3;
        QByteArrayList raw;
        for (int s = 0; s < 40; ++s) {
            const double wobble = ((i * 7 + s * 13) % 11) - 5; // a little noise
            const double swing = b == 0 ? 0 : b == 1 ? 80 * std::sin(2 * M_PI * 2 * s / 20.0)
                                                     : 300 * std::sin(2 * M_PI * 6 * s / 20.0);
            for (double v : {2048 + swing + wobble, 2048 + wobble, 2560 + swing / 2})
                raw << QByteArray::number(qRound(v));
        }
        text += test_support::acc_fixed_line(
                    t0.addSecs(600 * i).toString("yyyy-MM-dd HH:mm:ss.zzz").toLatin1(), "20", "XYZ", raw.join(' ')) +
                "\n";
    }
    return text;
}

// Labels for the first `labelled` bursts, a segment per 10.
QByteArray labels_for(int labelled)
{
    QByteArray text = "animal,start_utc,end_utc,label,note\n";
    const QDateTime t0(QDate(2014, 5, 2), QTime(0, 0), Qt::UTC);
    for (int k = 0; k * 10 < labelled; ++k)
        text += "," + t0.addSecs(6000 * k).toString(Qt::ISODateWithMs).toLatin1() + "," +
                t0.addSecs(6000 * (k + 1)).toString(Qt::ISODateWithMs).toLatin1() + "," + behaviours[k % 3] + ",\n";
    return text;
}

struct run_result
{
    int code = -1;
    QString out, err;
};

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
    dir.write("stork.labels.csv", labels_for(60));
    const QString model = dir.path("m.dvmodel");

    const run_result trained = run({"train", "--out", model, "--folds", "4", data});
    ASSERT_EQ(trained.code, 0) << trained.err.toStdString();
    EXPECT_TRUE(trained.out.contains("stork.csv: 90 bursts, 60 labelled\n")) << trained.out.toStdString();
    EXPECT_TRUE(trained.out.contains("4-fold stratified: accuracy 1.000 over 60 bursts")) << trained.out.toStdString();
    EXPECT_TRUE(trained.out.endsWith(QString("model of 3 behaviours -> %1\n").arg(model)));

    const run_result again = run({"train", "--out", model, data});
    EXPECT_EQ(again.code, 1);
    EXPECT_EQ(again.err.toStdString(), "dornvale-batch: " + model.toStdString() +
                                           ": exists; give --replace to write over it\n");

    const run_result classified = run({"classify", "--model", model, data});
    ASSERT_EQ(classified.code, 0) << classified.err.toStdString();
    QFile table(dir.path("stork-classified.csv"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = table.readAll().split('\n');
    ASSERT_EQ(lines.size(), 2 + 90 + 1);
    EXPECT_TRUE(lines[1].endsWith(",label,predicted,probability"));
    for (int i = 0; i < 90; ++i) {
        const QList<QByteArray> cells = lines[2 + i].split(',');
        EXPECT_EQ(cells[cells.size() - 2], behaviours[i / 10 % 3]) << i;
        EXPECT_EQ(cells[cells.size() - 3], i < 60 ? behaviours[i / 10 % 3] : "") << i;
    }

    dir.write("other.dvmodel", "{\"format\": \"dornvale-behaviour-model\"}");
    const run_result refused = run({"classify", "--model", dir.path("other.dvmodel"), data});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.toStdString(), "dornvale-batch: other.dvmodel is damaged: its settings, behaviours or "
                                         "features are missing or wrong.\n");
}

// dornvale-batch, run as the real program: each mistake a new user makes is told in words that say
// what to do.
#include "batch/train_batch.h"
#include "support/batch_run.h"
#include "support/download_layouts.h"
#include "support/temp_folder.h"

#include <QTest>

class test_batch_messages : public QObject
{
    Q_OBJECT

private slots:
    void each_mistake_says_what_to_do();
};

void test_batch_messages::each_mistake_says_what_to_do()
{
    temp_folder dir;
    dir.write("s.txt", "x\n");
    dir.write("s.labels.csv", "animal,start_utc,end_utc,label,note\n");
    dir.write("lone.labels.csv", "animal,start_utc,end_utc,label,note\n");
    dir.write("bad.dvmodel", "not json");
    dir.write("herd.csv", test_support::named_gps_header + "\nA,8.5,47.25,2014-05-02 10:00:00.000\n"
                                                           "A,,47.25,2014-05-02 11:00:00.000\n"
                                                           "A,8.5,47.25,soon\nA,8.5,47.25,later\n");
    const struct
    {
        QStringList args;
        int code;
        QString err;
    } cases[] = {
        {{"train", "s.txt"}, 2,
         "dornvale-batch: train needs --out MODEL.dvmodel\n" + QString(train_batch::usage)},
        {{"classify", "--model", "bad.dvmodel", "s.txt"}, 1,
         "dornvale-batch: bad.dvmodel is not a Dornvale behaviour model.\n"},
        {{"classify", "--model", "m/gone.dvmodel", "s.txt"}, 1,
         "dornvale-batch: m/gone.dvmodel: File does not exist.\n"},
        {{"metrics", "./s.labels.csv"}, 1,
         "dornvale-batch: ./s.labels.csv: A labels file, not data: it holds the labels of ./s.txt; give that "
         "file.\n"},
        {{"activity", "lone.labels.csv"}, 1,
         "dornvale-batch: lone.labels.csv: A labels file, not data; its data file is not beside it (looked "
         "for lone.csv, lone.txt, lone.zip, lone.csv.gz, lone.txt.gz).\n"},
        {{"track", "--format", "gpx", "herd.csv"}, 0,
         "dornvale-batch: herd.csv: 1 fix left out: 2D or invalid, 2 fixes left out: no usable time\n"},
    };
    for (const auto& c : cases) {
        const run_result r = run(c.args, dir.path());
        QCOMPARE(r.err, c.err);
        QCOMPARE(r.code, c.code);
    }
}

QTEST_GUILESS_MAIN(test_batch_messages)
#include "test_batch_messages.moc"

// The partner names derived from one chosen name, plain and compressed.
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QTest>

class test_guess_pair_names : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
};

void test_guess_pair_names::names_data()
{
    add_columns<QString, QString, QString>("chosen", "acc", "gps");
    add_row("fixed acc", "/d/a_acc.txt", "/d/a_acc.txt", "/d/a_gps.txt");
    add_row("fixed gps", "/d/a_gps.txt", "/d/a_acc.txt", "/d/a_gps.txt");
    add_row("download acc", "/d/s-acc.csv", "/d/s-acc.csv", "/d/s-gps.csv");
    add_row("download gps", "/d/s-gps.csv", "/d/s-acc.csv", "/d/s-gps.csv");
    add_row("capitals keep their text", "/d/UP_ACC.TXT", "/d/UP_ACC.TXT", "/d/UP_ACC.TXT");
    add_row("gzip acc", "/d/s-acc.csv.gz", "/d/s-acc.csv.gz", "/d/s-gps.csv.gz");
    add_row("zip gps", "/d/s-gps.csv.zip", "/d/s-acc.csv.zip", "/d/s-gps.csv.zip");
    add_row("zip in capitals", "/d/A_GPS.TXT.ZIP", "/d/A_GPS.TXT.ZIP", "/d/A_GPS.TXT.ZIP");
    add_row("zip entry", "/d/p.zip/s-acc.csv", "/d/p.zip/s-acc.csv", "/d/p.zip/s-gps.csv");
    add_row("no pattern", "/d/notes.csv", "", "");
    add_row("no pattern, zipped", "/d/notes.csv.zip", "", "");
    add_row("only a compression suffix", "/d/.gz", "", "");
    add_row("_acc.txt", "/d/tag_acc.txt", "/d/tag_acc.txt", "/d/tag_gps.txt");
    add_row("_gps.txt", "/d/tag_gps.txt", "/d/tag_acc.txt", "/d/tag_gps.txt");
    add_row("acc.csv", "/d/1234-acc.csv", "/d/1234-acc.csv", "/d/1234-gps.csv");
    add_row("gps.csv", "/d/1234gps.csv", "/d/1234acc.csv", "/d/1234gps.csv");
    add_row("every occurrence replaced", "/x_acc.txt/a_acc.txt", "/x_acc.txt/a_acc.txt",
            "/x_gps.txt/a_gps.txt");
    add_row("capitals match but are not replaced", "/d/TAG_ACC.TXT", "/d/TAG_ACC.TXT", "/d/TAG_ACC.TXT");
    add_row("mixed case suffix", "/d/Tag_Gps.txt", "/d/Tag_Gps.txt", "/d/Tag_Gps.txt");
    add_row("_acc.txt wins over acc.csv order", "/d/acc.csv_acc.txt", "/d/acc.csv_acc.txt",
            "/d/acc.csv_gps.txt");
    add_row("no match", "/d/data.csv", "", "");
    add_row("empty", "", "", "");
}

void test_guess_pair_names::names()
{
    auto [chosen, acc, gps] = fetch<QString, QString, QString>("chosen", "acc", "gps");
    test_support::debug_capture quiet;
    const eobs_guess_acc_gps_filenames names(chosen);
    QCOMPARE(names.acc_filename, acc);
    QCOMPARE(names.gps_filename, gps);
}

QTEST_GUILESS_MAIN(test_guess_pair_names)
#include "test_guess_pair_names.moc"

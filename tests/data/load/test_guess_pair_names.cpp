// The partner names derived from one chosen name, plain and compressed.
#include "data/load/eobs_guess_acc_gps_filenames.h"
#include "support/test_support.h"

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
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("acc");
    QTest::addColumn<QString>("gps");
    QTest::newRow("fixed acc") << "/d/a_acc.txt"
                               << "/d/a_acc.txt"
                               << "/d/a_gps.txt";
    QTest::newRow("fixed gps") << "/d/a_gps.txt"
                               << "/d/a_acc.txt"
                               << "/d/a_gps.txt";
    QTest::newRow("download acc") << "/d/s-acc.csv"
                                  << "/d/s-acc.csv"
                                  << "/d/s-gps.csv";
    QTest::newRow("download gps") << "/d/s-gps.csv"
                                  << "/d/s-acc.csv"
                                  << "/d/s-gps.csv";
    QTest::newRow("capitals keep their text") << "/d/UP_ACC.TXT"
                                              << "/d/UP_ACC.TXT"
                                              << "/d/UP_ACC.TXT";
    QTest::newRow("gzip acc") << "/d/s-acc.csv.gz"
                              << "/d/s-acc.csv.gz"
                              << "/d/s-gps.csv.gz";
    QTest::newRow("zip gps") << "/d/s-gps.csv.zip"
                             << "/d/s-acc.csv.zip"
                             << "/d/s-gps.csv.zip";
    QTest::newRow("zip in capitals") << "/d/A_GPS.TXT.ZIP"
                                     << "/d/A_GPS.TXT.ZIP"
                                     << "/d/A_GPS.TXT.ZIP";
    QTest::newRow("zip entry") << "/d/p.zip/s-acc.csv"
                               << "/d/p.zip/s-acc.csv"
                               << "/d/p.zip/s-gps.csv";
    QTest::newRow("no pattern") << "/d/notes.csv"
                                << ""
                                << "";
    QTest::newRow("no pattern, zipped") << "/d/notes.csv.zip"
                                        << ""
                                        << "";
    QTest::newRow("only a compression suffix") << "/d/.gz"
                                               << ""
                                               << "";
}

void test_guess_pair_names::names()
{
    QFETCH(QString, chosen);
    QFETCH(QString, acc);
    QFETCH(QString, gps);
    test_support::debug_capture quiet;
    const eobs_guess_acc_gps_filenames names(chosen);
    QCOMPARE(names.acc_filename, acc);
    QCOMPARE(names.gps_filename, gps);
}

QTEST_GUILESS_MAIN(test_guess_pair_names)
#include "test_guess_pair_names.moc"

// The recent files list: newest first, no repeats, at most ten, cleared on request, kept in the
// settings under the test's private home.
#include "support/test_support.h"
#include "util/recent_files.h"

#include <QDir>
#include <QSettings>
#include <QTest>

class test_recent_files : public QObject
{
    Q_OBJECT

private slots:
    void init() { test_support::clear_settings(); }
    void newest_first_without_repeats();
    void at_most_ten();
    void relative_names_become_absolute();
    void clear_empties_the_list();
    void kept_in_the_settings();
};

void test_recent_files::newest_first_without_repeats()
{
    QCOMPARE(recent_files::list(), QStringList());
    recent_files::add("/data/a_acc.txt");
    recent_files::add("/data/b_gps.txt");
    recent_files::add("/data/c-acc.csv");
    QCOMPARE(recent_files::list(), (QStringList{"/data/c-acc.csv", "/data/b_gps.txt", "/data/a_acc.txt"}));
    // Opening one again moves it to the front.
    recent_files::add("/data/a_acc.txt");
    QCOMPARE(recent_files::list(), (QStringList{"/data/a_acc.txt", "/data/c-acc.csv", "/data/b_gps.txt"}));
}

void test_recent_files::at_most_ten()
{
    QCOMPARE(recent_files::limit, 10);
    for (int i = 1; i <= 12; ++i)
        recent_files::add(QString("/data/f%1.csv").arg(i));
    QStringList expected;
    for (int i = 12; i >= 3; --i)
        expected << QString("/data/f%1.csv").arg(i);
    QCOMPARE(recent_files::list(), expected);
    // A file already listed does not push the oldest out.
    recent_files::add("/data/f5.csv");
    QCOMPARE(recent_files::list().size(), 10);
    QCOMPARE(recent_files::list().first(), QString("/data/f5.csv"));
    QCOMPARE(recent_files::list().last(), QString("/data/f3.csv"));
}

void test_recent_files::relative_names_become_absolute()
{
    recent_files::add("here_acc.txt");
    QCOMPARE(recent_files::list(), QStringList{QDir::current().absoluteFilePath("here_acc.txt")});
}

void test_recent_files::clear_empties_the_list()
{
    recent_files::add("/data/a_acc.txt");
    recent_files::clear();
    QCOMPARE(recent_files::list(), QStringList());
    recent_files::add("/data/b_acc.txt");
    QCOMPARE(recent_files::list(), QStringList{"/data/b_acc.txt"});
}

void test_recent_files::kept_in_the_settings()
{
    recent_files::add("/data/a_acc.txt");
    QSettings().sync();
    // Read back from the file, as the next run would.
    QSettings file(QSettings().fileName(), QSettings::NativeFormat);
    QVERIFY(file.fileName().startsWith(QDir::homePath()));
    QCOMPARE(file.value("files/recent").toStringList(), QStringList{"/data/a_acc.txt"});
}

QTEST_GUILESS_MAIN(test_recent_files)
#include "test_recent_files.moc"

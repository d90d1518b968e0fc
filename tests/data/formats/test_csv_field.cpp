// The comma splitter and the exact comparison both readers use.
#include "data/formats/csv_field.h"

#include <QList>
#include <QTest>

class test_csv_field : public QObject
{
    Q_OBJECT

private slots:
    void split_commas_data();
    void split_commas();
    void split_commas_stops_when_asked();
    void equals_data();
    void equals();
};

void test_csv_field::split_commas_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<QByteArray>>("fields");
    QTest::newRow("empty line") << QByteArray() << QList<QByteArray>{""};
    QTest::newRow("one field") << QByteArray("abc") << QList<QByteArray>{"abc"};
    QTest::newRow("three") << QByteArray("a,bc,d") << QList<QByteArray>{"a", "bc", "d"};
    QTest::newRow("empty fields kept") << QByteArray(",a,,") << QList<QByteArray>{"", "a", "", ""};
    QTest::newRow("quotes mean nothing") << QByteArray("\"a,b\",c") << QList<QByteArray>{"\"a", "b\"", "c"};
    QTest::newRow("blanks kept") << QByteArray(" a , b") << QList<QByteArray>{" a ", " b"};
}

void test_csv_field::split_commas()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<QByteArray>, fields);
    QList<QByteArray> got;
    std::size_t expected_index = 0;
    bool in_order = true;
    csv_field::split_commas(line.constData(), line.constData() + line.size(),
                            [&](std::size_t index, const char* b, const char* e) {
                                in_order = in_order && index == expected_index++;
                                got << QByteArray(b, static_cast<int>(e - b));
                                return true;
                            });
    QCOMPARE(got, fields);
    QVERIFY(in_order);
}

void test_csv_field::split_commas_stops_when_asked()
{
    const QByteArray line = "a,b,c,d";
    QList<QByteArray> got;
    csv_field::split_commas(line.constData(), line.constData() + line.size(),
                            [&](std::size_t index, const char* b, const char* e) {
                                got << QByteArray(b, static_cast<int>(e - b));
                                return index < 1;
                            });
    QCOMPARE(got, (QList<QByteArray>{"a", "b"}));
}

void test_csv_field::equals_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("equal");
    QTest::newRow("same") << QByteArray("status") << QByteArray("status") << true;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << true;
    QTest::newRow("prefix of the text") << QByteArray("stat") << QByteArray("status") << false;
    QTest::newRow("text is a prefix") << QByteArray("status2") << QByteArray("status") << false;
    QTest::newRow("case") << QByteArray("Status") << QByteArray("status") << false;
    QTest::newRow("quoted") << QByteArray("\"A\"") << QByteArray("A") << false;
}

void test_csv_field::equals()
{
    QFETCH(QByteArray, field);
    QFETCH(QByteArray, text);
    QFETCH(bool, equal);
    // The field is not terminated: the bytes after it must not count.
    const QByteArray padded = field + "XYZ";
    QCOMPARE(csv_field::equals(padded.constData(), padded.constData() + field.size(), text.constData()),
             equal);
}

QTEST_GUILESS_MAIN(test_csv_field)
#include "test_csv_field.moc"

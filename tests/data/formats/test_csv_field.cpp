// The comma splitter and the exact comparison both readers use.
#include "data/formats/csv_field.h"
#include "support/data_table.h"

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
    add_columns<QByteArray, QList<QByteArray>>("line", "fields");
    add_row("empty line", QByteArray(), QList<QByteArray>{""});
    add_row("one field", QByteArray("abc"), QList<QByteArray>{"abc"});
    add_row("three", QByteArray("a,bc,d"), QList<QByteArray>{"a", "bc", "d"});
    add_row("empty fields kept", QByteArray(",a,,"), QList<QByteArray>{"", "a", "", ""});
    add_row("quotes mean nothing", QByteArray("\"a,b\",c"), QList<QByteArray>{"\"a", "b\"", "c"});
    add_row("blanks kept", QByteArray(" a , b"), QList<QByteArray>{" a ", " b"});
}

void test_csv_field::split_commas()
{
    auto [line, fields] = fetch<QByteArray, QList<QByteArray>>("line", "fields");
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
    add_columns<QByteArray, QByteArray, bool>("field", "text", "equal");
    add_row("same", QByteArray("status"), QByteArray("status"), true);
    add_row("both empty", QByteArray(), QByteArray(), true);
    add_row("prefix of the text", QByteArray("stat"), QByteArray("status"), false);
    add_row("text is a prefix", QByteArray("status2"), QByteArray("status"), false);
    add_row("case", QByteArray("Status"), QByteArray("status"), false);
    add_row("quoted", QByteArray("\"A\""), QByteArray("A"), false);
}

void test_csv_field::equals()
{
    auto [field, text, equal] = fetch<QByteArray, QByteArray, bool>("field", "text", "equal");
    // The field is not terminated: the bytes after it must not count.
    const QByteArray padded = field + "XYZ";
    QCOMPARE(csv_field::equals(padded.constData(), padded.constData() + field.size(), text.constData()),
             equal);
}

QTEST_GUILESS_MAIN(test_csv_field)
#include "test_csv_field.moc"

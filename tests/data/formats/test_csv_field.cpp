// The comma splitter and the exact comparison both readers use, and the reading of raw values.
#include "data/formats/csv_field.h"
#include "support/data_table.h"

#include <QList>
#include <QTest>
#include <QTextCodec>

#include <cstring>
#include <vector>

class test_csv_field : public QObject
{
    Q_OBJECT

private slots:
    void split_commas_data();
    void split_commas();
    void split_commas_stops_when_asked();
    void equals_data();
    void equals();
    void split_floats_reads_each_piece_as_qt();
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

void test_csv_field::split_floats_reads_each_piece_as_qt()
{
    // Pieces at every offset of the 64-byte windows, each compared bit for bit with QString::toFloat.
    const QByteArray pieces = "0 7 42 999 4095 10000 -1 -0 -4095 0042 00 123456789 1234567890 1e3 +5 1.5 "
                              "4O9 12a 9: /1 \xc3\xa9 -  --5 5- 3.40282e39 inf 0x10  2047";
    for (int shift = 0; shift < 64; ++shift) {
        const QByteArray text = QByteArray(shift, '1') + " " + pieces + " " + pieces;
        std::vector<float> got(static_cast<std::size_t>(text.size()) + 1);
        const std::size_t count = csv_field::split_floats(text.constData(), text.constData() + text.size(),
                                                          got.data(), QTextCodec::codecForName("UTF-8"));
        const QList<QByteArray> expected = text.split(' ');
        QCOMPARE(count, static_cast<std::size_t>(expected.size()));
        for (int i = 0; i < expected.size(); ++i) {
            const float want = QString::fromUtf8(expected[i]).toFloat();
            QVERIFY2(std::memcmp(&got[static_cast<std::size_t>(i)], &want, sizeof want) == 0,
                     expected[i].constData());
        }
    }
}

QTEST_GUILESS_MAIN(test_csv_field)
#include "test_csv_field.moc"

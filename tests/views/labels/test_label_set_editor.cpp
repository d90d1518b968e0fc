// The label set editor refuses what would make labels ambiguous and says why; names are kept trimmed,
// as they are checked.
#include "views/labels/label_set_editor.h"

#include "support/data_table.h"
#include "support/shown_message.h"

#include <QTableWidget>
#include <QTest>

class test_label_set_editor : public QObject
{
    Q_OBJECT

private slots:
    void refuses_and_says_why_data();
    void refuses_and_says_why();
    void keeps_names_trimmed();
};

void test_label_set_editor::refuses_and_says_why_data()
{
    add_columns<QString, QString, QString>("second_name", "second_key", "why");
    add_row("no name", " ", "", "Row 2 has no name.");
    add_row("name twice", "walk ", "", "The name \"walk\" is given twice.");
    add_row("not a digit", "fly", "x", "The key of \"fly\" must be a digit from 1 to 9, or empty.");
    add_row("above 9", "fly", "10", "The key of \"fly\" must be a digit from 1 to 9, or empty.");
    add_row("key twice", "fly", "1", "The key 1 is given twice.");
}

void test_label_set_editor::refuses_and_says_why()
{
    auto [second_name, second_key, why] = fetch<QString, QString, QString>("second_name", "second_key", "why");
    label_set_editor editor({{"walk", 0x00ff00, 1}, {"fly", 0x0000ff, 2}});
    editor.table()->item(1, 0)->setText(second_name);
    editor.table()->item(1, 2)->setText(second_key);
    editor.show();
    QCOMPARE(shown_message::after([&] { editor.accept(); }).text, why);
    QCOMPARE(editor.result(), int(QDialog::Rejected));
}

void test_label_set_editor::keeps_names_trimmed()
{
    label_set_editor editor({{"walk", 0x00ff00, 1}});
    editor.table()->item(0, 0)->setText(" glide ");
    editor.accept();
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(editor.labels().front().name, QString("glide"));
    QCOMPARE(editor.labels().front().key, 1);
}

QTEST_MAIN(test_label_set_editor)
#include "test_label_set_editor.moc"

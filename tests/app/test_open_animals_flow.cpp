// Opening a repository download that holds several animals: the chooser lists each animal with its
// burst count and date range; the checked animals open in their own burst windows.
#include "app/animal_chooser_dialog.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dornvalemainwindow.h"
#include "support/download_layouts.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/test_support.h"
#include "util/recent_files.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

namespace {

const QByteArray animals_file = quoted(named_acc_header) +
                                "\nBo,2014-05-02 13:00:00.000,XYZ,10,1 2 3 4 5 6\n"
                                "\"Cleo, jr.\",2014-05-03 13:00:00.000,XYZ,10,1 2 3\n"
                                "Bo,2014-05-09 13:00:00.000,XYZ,10,1 2 3\n"
                                "Dax,2014-06-01 00:00:00.000,XYZ,10,1 2 3\n"
                                "Cleo, jr.,2014-05-04 13:00:00.000,XYZ,10,1 2 3\n"; // unquoted comma: skipped

// A step for the chooser: records its rows, unchecks the rows not in keep (all kept when empty),
// records whether OK is enabled, then presses OK (or Cancel when cancel is set).
modal_script::step choose_animals(QStringList* rows, QList<int> keep, bool* ok_enabled_with_none,
                                  bool cancel = false)
{
    return [=](QWidget* w) {
        auto* dialog = qobject_cast<animal_chooser_dialog*>(w);
        if (!dialog)
            return false;
        auto* list = dialog->findChild<QListWidget*>("animal_list");
        QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        for (int i = 0; i < list->count(); ++i) {
            *rows << list->item(i)->text();
            list->item(i)->setCheckState(Qt::Unchecked);
        }
        *ok_enabled_with_none = ok->isEnabled();
        for (int i = 0; i < list->count(); ++i) {
            if (keep.isEmpty() || keep.contains(i))
                list->item(i)->setCheckState(Qt::Checked);
        }
        if (cancel)
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        else
            ok->click();
        return true;
    };
}

const QStringList expected_rows{"Bo - 2 bursts, 2014-05-02 to 2014-05-09",
                                "Cleo, jr. - 1 burst, 2014-05-03 to 2014-05-03",
                                "Dax - 1 burst, 2014-06-01 to 2014-06-01"};

} // namespace

class test_open_animals_flow : public QObject, private main_window_fixture
{
    Q_OBJECT

private slots:
    void init() { open_main_window(QString(), nullptr); }
    void cleanup() { QVERIFY(close_main_window()); }

    void pick_all_opens_a_window_per_animal();
    void pick_one_opens_only_that_animal();
    void cancel_opens_nothing();
    void one_animal_opens_without_asking();
    void chooser_of_many_filters_selects_and_asks();

private:
    QPushButton* open_button() { return window->findChild<QPushButton*>("push_button_open_eobs_acc_file"); }
    // Opens the file of three animals and answers the chooser: keeps those rows (all when empty),
    // presses OK or Cancel; checks the rows and that OK is disabled with none checked.
    void open_and_choose(QList<int> keep, bool cancel);

    QStringList rows;
    bool ok_with_none = true;
};

void test_open_animals_flow::open_and_choose(QList<int> keep, bool cancel)
{
    const QString path = write("study_acc.csv", animals_file);
    rows.clear();
    ok_with_none = true;
    modal_script script;
    script.then(choose_file(path)).then(choose_animals(&rows, keep, &ok_with_none, cancel));
    open_button()->click();
    QTRY_VERIFY_WITH_TIMEOUT(script.done(), 10000);
    QCOMPARE(script.titles.last(), QString("Choose Animals"));
    QCOMPARE(rows, expected_rows);
    QVERIFY(!ok_with_none);
}

void test_open_animals_flow::pick_all_opens_a_window_per_animal()
{
    streams_capture streams;
    recent_files::clear(); // the home of the tests outlives a run
    open_and_choose({}, false);
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 3, 10000);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"study_acc.csv (animal Bo)", "  2 acc bursts, 1 line skipped",
                          "study_acc.csv (animal Cleo, jr.)", "  1 acc bursts", "study_acc.csv (animal Dax)",
                          "  1 acc bursts"}));
    QCOMPARE(state->windows().size(), std::size_t(3));
    // The recent files name the file itself, which opens again; not the animals.
    QCOMPARE(recent_files::list().front(), dir->path() + "/study_acc.csv");
    QVERIFY(recent_files::list().filter("(animal").isEmpty());
}

void test_open_animals_flow::pick_one_opens_only_that_animal()
{
    streams_capture streams;
    open_and_choose({1}, false);
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    QTest::qWait(100);
    QCOMPARE(burst_windows().size(), 1);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"study_acc.csv (animal Cleo, jr.)", "  1 acc bursts, 1 line skipped"}));
}

void test_open_animals_flow::cancel_opens_nothing()
{
    streams_capture streams;
    open_and_choose({}, true);
    QTest::qWait(200);
    QVERIFY(burst_windows().isEmpty());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(window->open_files_tree()->topLevelItemCount(), 0);
}

void test_open_animals_flow::one_animal_opens_without_asking()
{
    const QString path =
        write("stork_acc.csv", named_acc_header + "\nBo,2014-05-02 13:00:00.000,XYZ,10,1 2 3\n"
                                                  "Bo,2014-05-02 13:10:00.000,XYZ,10,1 2 3\n");
    streams_capture streams;
    modal_script script;
    script.then(choose_file(path));
    open_button()->click();
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    QCOMPARE(script.titles.size(), 1);
    QCOMPARE(tree_rows(window->open_files_tree()), (QStringList{"stork_acc.csv", "  2 acc bursts"}));
}

void test_open_animals_flow::chooser_of_many_filters_selects_and_asks()
{
    std::vector<animal_chooser_dialog::animal> animals;
    for (int i = 0; i < 30; ++i)
        animals.push_back({QString("Stork %1").arg(i), 1, 0, 0});
    animal_chooser_dialog dialog(animals, "herd_acc.csv", window.get());
    QCOMPARE(dialog.chosen().size(), std::size_t(20)); // the first 20
    QCOMPARE(dialog.chosen().back(), 19);
    dialog.findChild<QLineEdit*>("animal_filter")->setText("stork 2"); // rows 2 and 20 to 29
    dialog.findChild<QPushButton*>("select_none")->click();
    QCOMPARE(dialog.chosen().size(), std::size_t(19));
    dialog.findChild<QPushButton*>("select_all")->click();
    QCOMPARE(dialog.chosen().size(), std::size_t(30));
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    dialog.show();
    for (const QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Open}) {
        QString text;
        modal_script script;
        script.then(answer_message(answer, nullptr, &text));
        ok->click();
        QTRY_VERIFY_WITH_TIMEOUT(script.done(), 10000);
        QCOMPARE(text, QString("Open 30 windows, one for each checked animal?"));
        QCOMPARE(dialog.isVisible(), answer == QMessageBox::Cancel);
    }
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(test_open_animals_flow)
#include "test_open_animals_flow.moc"

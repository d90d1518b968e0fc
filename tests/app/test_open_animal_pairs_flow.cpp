// "Open E-OBS Acceleration and GPS Files" on downloads of several animals: the chooser lists each
// animal with its bursts, fixes and dates; each chosen animal opens in its own burst window with its
// own fixes as its track, an animal without fixes with its bursts only.
#include "app/animal_chooser_dialog.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dornvalemainwindow.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts_i.h"
#include "map/event_space_layer.h"
#include "map/zoom_state.h"
#include "support/download_layouts.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/pair_flow_test.h"
#include "support/shown_message.h"
#include "support/test_support.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

namespace {

const QByteArray mixed_header = mixed_sensor_header + ",individual-local-identifier\n";

// Bo: 2 bursts, 3 fixes; Cleo: 1 burst, 1 fix; Dax: 1 burst, no fix; Eve: fixes only.
const QByteArray mixed_rows = "2014-05-02 10:00:00.000,gps,8.5,47.25,,,,Bo\n"
                              "2014-05-02 10:00:00.000,acceleration,,,XYZ,10,1 2 3,Bo\n"
                              "2014-05-03 09:00:00.000,acceleration,,,XYZ,10,1 2 3 4 5 6,Cleo\n"
                              "2014-05-02 10:05:00.000,acceleration,,,XYZ,10,1 2 3,Bo\n"
                              "2014-05-02 10:05:00.000,gps,8.5,47.3,,,,Bo\n"
                              "2014-05-01 23:00:00.000,gps,8.5,47.35,,,,Bo\n"
                              "2014-05-03 09:00:00.000,gps,-70,-33,,,,Cleo\n"
                              "2014-06-01 00:00:00.000,acceleration,,,XYZ,10,1 2 3,Dax\n"
                              "2014-06-02 00:00:00.000,gps,10,50,,,,Eve\n"
                              "2014-06-04 00:00:00.000,gps,10,50.1,,,,Eve\n";

const QStringList mixed_chooser_rows{"Bo - 2 bursts, 3 fixes, 2014-05-01 to 2014-05-02",
                                     "Cleo - 1 burst, 1 fix, 2014-05-03 to 2014-05-03",
                                     "Dax - 1 burst, no fixes (bursts only), 2014-06-01 to 2014-06-01",
                                     "Eve - no bursts (not opened), 2 fixes, 2014-06-02 to 2014-06-04"};

// What the chooser showed, and what the step did with it.
struct chooser_seen
{
    QString intro;
    QStringList rows;
    QList<bool> checkable;
    QList<bool> checked;
};

// A step for the chooser: records it, keeps only the rows in keep checked (all when empty), then
// presses OK (Cancel when cancel is set).
modal_script::step choose(chooser_seen* seen, QList<int> keep, bool cancel = false)
{
    return [=](QWidget* w) {
        auto* dialog = qobject_cast<animal_chooser_dialog*>(w);
        if (!dialog)
            return false;
        seen->intro = dialog->findChild<QLabel*>()->text();
        auto* list = dialog->findChild<QListWidget*>("animal_list");
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            seen->rows << item->text();
            seen->checkable << item->flags().testFlag(Qt::ItemIsUserCheckable);
            seen->checked << (item->checkState() == Qt::Checked);
            if (!keep.isEmpty() && !keep.contains(i))
                item->setCheckState(Qt::Unchecked);
        }
        QDialogButtonBox* buttons = dialog->findChild<QDialogButtonBox*>();
        buttons->button(cancel ? QDialogButtonBox::Cancel : QDialogButtonBox::Ok)->click();
        return true;
    };
}

} // namespace

class test_open_animal_pairs_flow : public pair_flow_test
{
    Q_OBJECT

private slots:
    void pick_all_opens_each_animal_with_its_track();
    void pick_one_opens_that_animal_and_its_track();
    void cancel_opens_nothing();
    void acc_and_gps_files_of_several_animals_pair_by_identifier();
    void one_animal_takes_its_fixes_from_a_gps_file_of_several();
    void one_animal_missing_from_a_gps_file_of_several_is_refused();
    void chooser_widens_for_long_rows();

private:
    // Opens the pair of chosen and answers the chooser; false when the chooser never came.
    // pair_dialog: chosen is an acceleration file, whose pair dialog is accepted as it came.
    bool open_and_choose(const QString& chosen, chooser_seen* seen, QList<int> keep, bool cancel = false,
                         bool pair_dialog = false);
    // The track names on the map, in the order they were added.
    QStringList track_names();
    // Fix count of each open burst window's data set, in window order.
    QList<int> fixes_per_window();
};

bool test_open_animal_pairs_flow::open_and_choose(const QString& chosen, chooser_seen* seen, QList<int> keep,
                                                  bool cancel, bool pair_dialog)
{
    modal_script script;
    script.then(choose_file(chosen));
    if (pair_dialog)
        script.then(accept_pair_files());
    script.then(choose(seen, keep, cancel));
    click_open();
    return QTest::qWaitFor([&] { return script.done(); }, 10000) && script.titles.last() == "Choose Animals";
}

QStringList test_open_animal_pairs_flow::track_names()
{
    QStringList names;
    for (layer* l : map().layers())
        names << dynamic_cast<event_space_layer&>(*l).name();
    return names;
}

QList<int> test_open_animal_pairs_flow::fixes_per_window()
{
    QList<int> fixes;
    for (const auto& gang_window : state->windows()) {
        const auto& gps = state->data_sets.at(gang_window.first).fixes;
        fixes << (gps ? static_cast<int>(gps->events().size()) : -1);
    }
    return fixes;
}

void test_open_animal_pairs_flow::pick_all_opens_each_animal_with_its_track()
{
    const QString chosen = write("study.csv", mixed_header + mixed_rows);
    streams_capture streams;
    chooser_seen seen;
    QVERIFY(open_and_choose(chosen, &seen, {}));
    QCOMPARE(seen.intro, QString("study.csv holds 4 animals. Open each checked animal in its own window, its "
                                 "fixes as its track on the map:"));
    QCOMPARE(seen.rows, mixed_chooser_rows);
    QCOMPARE(seen.checkable, (QList<bool>{true, true, true, false}));
    QCOMPARE(seen.checked, (QList<bool>{true, true, true, false}));

    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 3, 10000);
    QCOMPARE(
        tree_rows(window->open_files_tree()),
        (QStringList{"study.csv (animal Bo)", "  3 gps events", "  2 acc bursts", "study.csv (animal Cleo)",
                     "  1 gps events", "  1 acc bursts", "study.csv (animal Dax)", "  1 acc bursts"}));
    QCOMPARE(fixes_per_window(), (QList<int>{3, 1, -1}));
    QCOMPARE(track_names(),
             (QStringList{"study.csv (animal Bo): 3 fixes", "study.csv (animal Cleo): 1 fix"}));
    // The map is framed on both tracks (Bo's in Europe, Cleo's in South America), not on the last.
    const zoom_state framed = map().view();
    map().fit_to_tracks();
    QCOMPARE(map().view().currentLevel, framed.currentLevel);
    QCOMPARE(map().view().originX, framed.originX);
    QCOMPARE(map().view().originY, framed.originY);
    QCOMPARE(state->windows()[0].second->windowTitle(),
             chosen + " (animal Bo) - Acceleration Data - Dornvale");
    QCOMPARE(state->windows()[2].second->windowTitle(),
             chosen + " (animal Dax) - Acceleration Data - Dornvale");
    // Each window's fixes are its own animal's: Bo's two at 10:00 and 10:05 fall in its two bursts,
    // the one the evening before lies before them; Cleo's in its burst.
    const events_by_bursts_i& bo = *state->data_sets.at(state->windows()[0].first).association;
    QCOMPARE(bo.event_count(-1), 1);
    QCOMPARE(bo.event_count(0), 1);
    QCOMPARE(bo.event_count(1), 1);
    const events_by_bursts_i& cleo = *state->data_sets.at(state->windows()[1].first).association;
    QCOMPARE(cleo.event_count(0), 1);
    QCOMPARE(state->data_sets.at(state->windows()[1].first).fixes->events().front()->longitude, -70.0);
    QCOMPARE(state->data_sets.at(state->windows()[1].first).bursts->total_sample_count(), 2);
}

void test_open_animal_pairs_flow::pick_one_opens_that_animal_and_its_track()
{
    const QString chosen = write("study.csv", mixed_header + mixed_rows);
    streams_capture streams;
    chooser_seen seen;
    QVERIFY(open_and_choose(chosen, &seen, {1}));
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    QTest::qWait(100);
    QCOMPARE(burst_windows().size(), 1);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"study.csv (animal Cleo)", "  1 gps events", "  1 acc bursts"}));
    QCOMPARE(track_names(), QStringList{"study.csv (animal Cleo): 1 fix"});

    // Dax alone: bursts only, no track.
    chooser_seen again;
    QVERIFY(open_and_choose(chosen, &again, {2}));
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 2, 10000);
    QCOMPARE(fixes_per_window(), (QList<int>{1, -1}));
    QCOMPARE(map().layers().size(), std::size_t(1));
}

void test_open_animal_pairs_flow::cancel_opens_nothing()
{
    const QString chosen = write("study.csv", mixed_header + mixed_rows);
    streams_capture streams;
    chooser_seen seen;
    QVERIFY(open_and_choose(chosen, &seen, {}, true));
    QTest::qWait(200);
    QVERIFY(burst_windows().isEmpty());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QCOMPARE(window->open_files_tree()->topLevelItemCount(), 0);
    QVERIFY(map().layers().empty());
}

void test_open_animal_pairs_flow::acc_and_gps_files_of_several_animals_pair_by_identifier()
{
    // The GPS file lists the animals in another order and has one the acceleration file lacks.
    const QString acc =
        write("study-acc.csv", "tag-local-identifier,eobs:start-timestamp,eobs:acceleration-axes,"
                               "eobs:acceleration-sampling-frequency-per-axis,"
                               "eobs:accelerations-raw\n"
                               "71,2014-05-02 10:00:00.000,XYZ,10,1 2 3\n"
                               "72,2014-05-02 11:00:00.000,XYZ,10,1 2 3\n"
                               "71,2014-05-02 12:00:00.000,XYZ,10,1 2 3\n");
    write("study-gps.csv", "location-lat,location-long,timestamp,tag-local-identifier\n"
                           "47.1,8.1,2014-05-02 11:00:00.000,72\n"
                           "47.2,8.2,2014-05-02 11:01:00.000,72\n"
                           "47.3,8.3,2014-05-02 10:00:00.000,71\n"
                           "47.4,8.4,2014-05-02 10:00:00.000,73\n");
    streams_capture streams;
    chooser_seen seen;
    QVERIFY(open_and_choose(acc, &seen, {}, false, true));
    QCOMPARE(seen.intro,
             QString("study-acc.csv and study-gps.csv hold 3 animals. Open each checked animal in "
                     "its own window, its fixes as its track on the map:"));
    QCOMPARE(seen.rows, (QStringList{"71 - 2 bursts, 1 fix, 2014-05-02 to 2014-05-02",
                                     "72 - 1 burst, 2 fixes, 2014-05-02 to 2014-05-02",
                                     "73 - no bursts (not opened), 1 fix, 2014-05-02 to 2014-05-02"}));
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 2, 10000);
    QCOMPARE(fixes_per_window(), (QList<int>{1, 2}));
    QCOMPARE(state->data_sets.at(state->windows()[1].first).fixes->events().front()->latitude, 47.1);
    QCOMPARE(track_names(),
             (QStringList{"study-gps.csv (animal 71): 1 fix", "study-gps.csv (animal 72): 2 fixes"}));
}

void test_open_animal_pairs_flow::one_animal_takes_its_fixes_from_a_gps_file_of_several()
{
    write("stork-acc.csv", named_acc_header + "\nBo,2014-05-02 10:00:00.000,XYZ,10,1 2 3\n");
    const QString gps = write("stork-gps.csv", named_gps_header + "\nCleo,8.1,47.1,2014-05-02 10:00:00.000\n"
                                                                  "Bo,8.2,47.2,2014-05-02 10:00:00.000\n"
                                                                  "Bo,8.3,47.3,2014-05-02 10:01:00.000\n");
    streams_capture streams;
    burst_main_window* w = open_pair(gps);
    QVERIFY(w);
    QCOMPARE(fixes_per_window(), QList<int>{2});
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"stork-acc.csv + stork-gps.csv (animal Bo)", "  2 gps events", "  1 acc bursts"}));
}

void test_open_animal_pairs_flow::one_animal_missing_from_a_gps_file_of_several_is_refused()
{
    const QString gps_rows = named_gps_header + "\nCleo,8.1,47.1,2014-05-02 10:00:00.000\n"
                                                "Dax,8.2,47.2,2014-05-02 10:00:00.000\n";
    const QString acc =
        write("stork-acc.csv", named_acc_header + "\nBo,2014-05-02 10:00:00.000,XYZ,10,1 2 3\n");
    const QString gps = write("stork-gps.csv", gps_rows.toUtf8());
    // A fixed-layout acceleration export names no animal.
    const QString fixed_acc = write("tag_acc.txt", acc_file(2));
    const QString fixed_gps = write("tag_gps.txt", gps_rows.toUtf8());
    const QString advice =
        "\nOpen it with a GPS file of that one animal, or open \"%1\" alone with \"Open E-OBS "
        "Acceleration File\".";
    const struct
    {
        QString chosen;
        QString expected;
    } cases[] = {
        {acc, "\"" + gps + "\" holds the fixes of 2 animals, none of them Bo, the animal of \"" + acc +
                  "\"." + advice.arg(acc)},
        {fixed_acc, "\"" + fixed_gps + "\" holds the fixes of 2 animals, and \"" + fixed_acc +
                        "\" names no animal to choose them by." + advice.arg(fixed_acc)},
    };
    for (const auto& c : cases) {
        streams_capture streams;
        QCOMPARE(shown_message::on_choosing(open_button(), c.chosen, {}, {accept_pair_files()}).text,
                 c.expected);
        QVERIFY(burst_windows().isEmpty());
        QVERIFY(map().layers().empty());
    }
}

void test_open_animal_pairs_flow::chooser_widens_for_long_rows()
{
    const qint64 day = 86400000;
    const auto shown_width = [&](const QString& id) {
        animal_chooser_dialog dialog({{id, 12, 0, day, 40}, {"Cleo", 1, 0, day, 0}}, "study.csv",
                                     window.get(), "study.csv");
        dialog.show();
        QTest::qWait(20);
        auto* list = dialog.findChild<QListWidget*>("animal_list");
        return std::make_pair(dialog.width(), list->horizontalScrollBar()->maximum());
    };
    const auto short_rows = shown_width("Bo");
    QCOMPARE(short_rows.second, 0);
    const auto longer = shown_width("Stork Bo, ring DER AU 123456");
    QVERIFY2(longer.first > short_rows.first && longer.first < 900,
             qPrintable(QString::number(longer.first)));
    QCOMPARE(longer.second, 0); // the row is not cut
    QCOMPARE(shown_width(QString(300, 'x')).first, 900);
}

QTEST_MAIN(test_open_animal_pairs_flow)
#include "test_open_animal_pairs_flow.moc"

// "Open E-OBS Acceleration and GPS Files" end to end, with a tile server of the test's own on
// 127.0.0.1: both files load, the burst view knows the fixes, the track is on the map, closing the
// burst window takes the track and rows away, and the failure messages.
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "data/model/burst_space.h"
#include "app/dornvalemainwindow.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts_i.h"
#include "support/download_layouts.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/http_test_server.h"
#include "support/pair_flow_test.h"
#include "support/shown_message.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "data/formats/loader_gps_mbd.h"
#include "map/event_space_layer.h"
#include "map/map_form.h"
#include "map/map_widget.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QNetworkAccessManager>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>

#include <sys/stat.h>

using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

class test_open_pair_flow : public pair_flow_test
{
    Q_OBJECT

private slots:
    void pick_either_file_opens_the_pair();
    void pair_dialog_takes_a_gps_file_of_any_name();
    void gps_file_without_partner_goes_through_the_pair_dialog();
    void open_gps_file_shows_a_track_alone();
    void second_pair_adds_a_second_track_and_reframes();
    void closing_removes_only_its_track_and_rows();
    void gps_file_in_no_layout_names_it();
    void acc_file_in_no_layout_names_it();
    void missing_partner_or_unpaired_name();
    void vanished_choice_is_refused_before_pairing();
    void capitalised_name_is_not_its_own_partner_data();
    void capitalised_name_is_not_its_own_partner();
    void unreadable_gps_file_names_its_reason();
    void cancel_while_loading();
    void file_with_both_sensors_opens_as_a_pair();
    void file_without_sensor_type_is_no_pair();
    void examples_pair_says_what_was_left_out();
};

void test_open_pair_flow::pick_either_file_opens_the_pair()
{
    const QString acc = write("stork_acc.txt", acc_file(6));
    const QString gps = write("stork_gps.txt", gps_file({-1, 0, 5, 25, 59}, 8.5, 47.25));
    streams_capture streams;
    burst_main_window* w = open_pair(gps);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), acc + " - Acceleration Data - Dornvale");
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"stork_acc.txt + stork_gps.txt", "  5 gps events", "  6 acc bursts"}));
    QCOMPARE(state->windows().front().first, 0);
    QVERIFY(state->data_sets.at(0).fixes);
    QVERIFY(state->data_sets.at(0).track);
    // Fixes per burst: 09:59 before the first burst, 10:00 and 10:05 in burst 0, 10:25 in 2, 10:59 in 5.
    const events_by_bursts_i& events = *state->data_sets.at(0).association;
    QCOMPARE(events.event_count(-1), 1);
    QCOMPARE(events.event_count(0), 2);
    QCOMPARE(events.event_count(2), 1);
    QCOMPARE(events.event_count(5), 1);
    // The GPS file is loaded first.
    QVERIFY(streams.stderr_text().indexOf("loader_gps_eobsmb") <
            streams.stderr_text().indexOf("loader_eobsmb"));
    QVERIFY(streams.stderr_text().contains("load_eobs_acc_and_gps_finished\n"));

    map_form* form = window->get_map_form();
    QVERIFY(form->isVisible());
    QCOMPARE(form->windowTitle(), QString("Map - Dornvale"));
    QCOMPARE(map().layers().size(), size_t(1));
    // Framed on the fixes: a small track is shown at a high level.
    QVERIFY(map().view().currentLevel >= 10);
    QTRY_VERIFY(tiles->requests.size() > 0);

    // Picking the acceleration file of the same pair opens the same pair again.
    burst_main_window* again = open_pair(acc);
    QVERIFY(again);
    QCOMPARE(again->windowTitle(), acc + " - Acceleration Data - Dornvale");
    QCOMPARE(state->windows().back().first, 1);
}

void test_open_pair_flow::pair_dialog_takes_a_gps_file_of_any_name()
{
    const QString acc = write("stork_acc.txt", acc_file(6));
    const QString named = write("stork_gps.txt", gps_file({1}, 8.5, 47.25));
    const QString track = write("track of May.csv", gps_file({-1, 0, 5, 25}, 8.5, 47.25));
    QString proposed;
    QVERIFY(open_through_dialog(open_button(), acc, {accept_pair_files(track, &proposed)}));
    QCOMPARE(proposed, named);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"stork_acc.txt + track of May.csv", "  4 gps events", "  6 acc bursts"}));
    QCOMPARE(state->data_sets.at(0).association->event_count(0), 2);
}

void test_open_pair_flow::gps_file_without_partner_goes_through_the_pair_dialog()
{
    const QString acc = write("stork of May.txt", acc_file(6)), gps = write("h-gps.csv", gps_file({5}, 8, 4));
    const modal_script::step choose_acc = [&](QWidget* w) {
        auto* field = w->findChild<QLineEdit*>("acc_file");
        return field && field->text().isEmpty() && (field->setText(acc), accept_pair_files()(w));
    };
    QVERIFY(open_through_dialog(open_button(), gps, {choose_acc}));
    QCOMPARE(tree_rows(window->open_files_tree()).value(0), QString("stork of May.txt + h-gps.csv"));
}

void test_open_pair_flow::open_gps_file_shows_a_track_alone()
{
    const QString track = write("track.csv", gps_file({1, 2, 3}, 8.5, 47.25));
    modal_script script;
    QString caption;
    script.then(choose_file(track, {}, &caption));
    window->findChild<QAction*>("actionOpen_gps")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(map().layers().size(), size_t(1), 10000);
    QCOMPARE(caption, QString("Open GPS File"));
    QVERIFY(burst_windows().isEmpty());
}

void test_open_pair_flow::second_pair_adds_a_second_track_and_reframes()
{
    write("a_acc.txt", acc_file(3));
    const QString gps_a = write("a_gps.txt", gps_file({1, 2, 3}, 8.5, 47.25));
    write("b-acc.csv", acc_file(3));
    const QString gps_b = write("b-gps.csv", gps_file({1, 2, 3}, -70.0, -33.0));
    QVERIFY(open_pair(gps_a));
    const qint64 first_x = map().view().originX;
    QVERIFY(open_pair(gps_b));
    QCOMPARE(map().layers().size(), size_t(2));
    QVERIFY(map().view().originX != first_x);
    QCOMPARE(tree_rows(window->open_files_tree()).size(), 6);
}

void test_open_pair_flow::closing_removes_only_its_track_and_rows()
{
    write("a_acc.txt", acc_file(3));
    write("b_acc.txt", acc_file(4));
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({1, 2}, 8.5, 47.25)));
    burst_main_window* b = open_pair(write("b_gps.txt", gps_file({1, 2, 3}, 8.6, 47.3)));
    QVERIFY(a && b);
    QCOMPARE(map().layers().size(), size_t(2));
    // A hidden map window stays hidden when a track goes.
    window->get_map_form()->close();
    QVERIFY(!window->get_map_form()->isVisible());
    modal_script script;
    script.then(answer_message(QMessageBox::Close));
    debug_capture log;
    QVERIFY(a->close());
    QVERIFY(log.contains(" found layer_ref for gang_id"));
    QCOMPARE(map().layers().size(), size_t(1));
    QVERIFY(!state->data_sets.count(0));
    QVERIFY(state->data_sets.at(1).track);
    QVERIFY(!window->get_map_form()->isVisible());
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"b_acc.txt + b_gps.txt", "  3 gps events", "  4 acc bursts"}));
}

void test_open_pair_flow::gps_file_in_no_layout_names_it()
{
    write("c_acc.txt", acc_file(3));
    const QString gps = write("c_gps.txt", "not,gps\n1,2\n");
    QCOMPARE(refused_open(open_button(), gps),
             "The GPS file \"" + gps +
                 "\" is not an E-OBS GPS export: its first line is in neither GPS layout.\nCheck that "
                 "the pair's GPS file is the GPS export of the same tag.");
    QVERIFY(map().layers().empty());
}

void test_open_pair_flow::acc_file_in_no_layout_names_it()
{
    const QString acc = write("g_acc.txt", "not,acceleration\n1,2\n");
    const QString gps = write("g_gps.txt", gps_file({1, 2}, 8.5, 47.25));
    QCOMPARE(shown_message::on_choosing(open_button(), gps, {}, {accept_pair_files()}).text,
             "The acceleration file \"" + acc +
                 "\" is not an E-OBS acceleration export: its first line is in neither acceleration "
                 "layout.\nCheck that the pair's acceleration file is the acceleration export of the "
                 "same tag.");
    QVERIFY(burst_windows().isEmpty());
    QVERIFY(map().layers().empty());
}

void test_open_pair_flow::missing_partner_or_unpaired_name()
{
    const QString lonely = write("d_acc.txt", acc_file(2));
    const QString unpaired = write("data.csv", acc_file(2));
    const QList<QPair<QString, QString>> cases{
        {lonely, "The GPS file \"" + dir->path() + "/d_gps.txt\" that pairs with \"" + lonely +
                     "\" does not exist.\nPut it in the same folder under this name, or open \"" + lonely +
                     "\" alone with \"Open E-OBS Acceleration File\"."},
        {unpaired,
         "\"" + unpaired +
             "\" is not named as one file of an acceleration and GPS pair.\nPair files are named like "
             "\"name_acc.txt\" and \"name_gps.txt\", or \"name-acc.csv\" and \"name-gps.csv\"; rename "
             "them so, or open the file alone with \"Open E-OBS Acceleration File\"."}};
    for (const auto& c : cases)
        QCOMPARE(shown_message::on_choosing(open_button(), c.first, {}, {accept_pair_files()}).text,
                 c.second);
    QVERIFY(burst_windows().isEmpty());
}

void test_open_pair_flow::vanished_choice_is_refused_before_pairing()
{
    write("f_gps.txt", gps_file({1}, 1, 1));
    const QString chosen = write("f_acc.txt", acc_file(2));
    debug_capture log;
    // The chosen file vanishes between the file dialog and the existence check; its partner stays.
    QCOMPARE(shown_message::on_choosing(open_button(), chosen, [chosen] { QFile::remove(chosen); }).text,
             "\"" + chosen + "\" does not exist.\nCheck the file's name and folder, then open it again.");
    // The partner's name is derived only for a chosen file that exists.
    QVERIFY(!log.contains("eobs_guess_acc_gps_filenames: "));
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_pair_flow::capitalised_name_is_not_its_own_partner_data()
{
    QTest::addColumn<QString>("name");
    add_row("acc txt", "UP_ACC.TXT");
    add_row("acc csv", "UPACC.CSV");
}

void test_open_pair_flow::capitalised_name_is_not_its_own_partner()
{
    QFETCH(QString, name);
    const QString chosen = write(name, acc_file(2));
    QCOMPARE(shown_message::on_choosing(open_button(), chosen, {}, {accept_pair_files()}).text,
             QString("\"%1\" has no partner file: its acceleration and GPS names would be the same. "
                     "Pairs are named \"..._acc.txt\" and \"..._gps.txt\" or \"...acc.csv\" and "
                     "\"...gps.csv\".")
                 .arg(QDir::toNativeSeparators(chosen)));
    QVERIFY(burst_windows().isEmpty());
    QVERIFY(map().layers().empty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_pair_flow::unreadable_gps_file_names_its_reason()
{
    write("e_acc.txt", acc_file(2));
    const QString gps = write("e_gps.txt", gps_file({1}, 1, 1));
    // Replaced by a directory once chosen: it exists, but cannot be read as a file.
    const QString text = shown_message::on_choosing(open_button(), gps, turn_into_directory(gps)).text;
    QVERIFY2(text.startsWith("The GPS file \"" + gps + "\" could not be read: Can't open file: "),
             qPrintable(text));
    QVERIFY2(text.endsWith("\nCheck that it is a readable file, then open the pair again."),
             qPrintable(text));
    QVERIFY(map().layers().empty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_pair_flow::cancel_while_loading()
{
    write("f_acc.txt", acc_file(2));
    // 64 GiB without a line end after the header (a sparse hole) keep the worker reading in the GPS
    // reader until the test has cancelled; the reader sees the cancel inside the line.
    const QString gps =
        dir->write_with_hole("f_gps.txt", QByteArray(loader_gps_eobsmb::header) + "\n", qint64(64) << 30);
    QWidget* progress_parent = nullptr;
    const std::vector steps{accept_pair_files(), cancel_progress(&progress_parent)};
    const QString text = shown_message::on_choosing(open_button(), gps, {}, steps).text;
    QCOMPARE(progress_parent, static_cast<QWidget*>(window.get()));
    QCOMPARE(text, "Load cancelled.\nThe pair \"" + dir->path() + "/f_acc.txt\" and \"" + gps +
                       "\" was not opened.");
    QVERIFY(burst_windows().isEmpty());
    QVERIFY(map().layers().empty());
}

namespace {

const QByteArray mixed_header = mixed_sensor_header + ",individual-local-identifier\n";

} // namespace

void test_open_pair_flow::file_with_both_sensors_opens_as_a_pair()
{
    const QString chosen =
        write("study download.csv", mixed_header + "2014-05-02 10:00:00.000,gps,8.5,47.25,,,,Bo\n"
                                                   "2014-05-02 10:00:00.000,acceleration,,,XYZ,10,1 2 3,Bo\n"
                                                   "2014-05-02 10:05:00.000,acceleration,,,XYZ,10,1 2 3,Bo\n"
                                                   "2014-05-02 10:05:00.000,gps,8.5,47.3,,,,Bo\n"
                                                   "2014-05-02 10:06:00.000,gps,8.5,47.35,,,,Bo\n");
    streams_capture streams;
    burst_main_window* w = open_pair(chosen);
    QVERIFY(w);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"study download.csv", "  3 gps events", "  2 acc bursts"}));
    QCOMPARE(map().layers().size(), size_t(1));
    const events_by_bursts_i& events = *state->data_sets.at(0).association;
    QCOMPARE(events.event_count(0), 1);
    QCOMPARE(events.event_count(1), 2);
}

void test_open_pair_flow::file_without_sensor_type_is_no_pair()
{
    // Without a sensor-type column the file is no pair of its own: its name pairs with nothing.
    const QString plain =
        write("plain.csv", "timestamp,location-long,location-lat,eobs:acceleration-axes,"
                           "eobs:acceleration-sampling-frequency-per-axis,eobs:accelerations-raw\n");
    const QString missing = shown_message::on_choosing(open_button(), plain).text;
    QVERIFY2(
        missing.startsWith("\"" + plain + "\" is not named as one file of an acceleration and GPS pair."),
        qPrintable(missing));
}

QTEST_MAIN(test_open_pair_flow)
#include "test_open_pair_flow.moc"

void test_open_pair_flow::examples_pair_says_what_was_left_out()
{
    // 864 fixes, 29 of them 2D or invalid (type of fix not 3 or status not A).
    QVERIFY(open_pair(QStringLiteral(DORNVALE_EXAMPLES_DIR "/stork2241_gps.txt")));
    QCOMPARE(tree_rows(window->open_files_tree()).mid(0, 2),
             (QStringList{"stork2241_acc.txt + stork2241_gps.txt",
                          "  835 gps events, 29 left out: 2D or invalid"}));
    QCOMPARE(dynamic_cast<event_space_layer&>(*map().layers().front()).name(),
             QString("stork2241_gps.txt: 835 fixes, 29 left out: 2D or invalid"));
}

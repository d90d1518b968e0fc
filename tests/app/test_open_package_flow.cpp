// Zip packages of several files through the real windows: the acceleration and GPS entries of one
// archive open as a pair (by name or by header), the acceleration button takes the acceleration
// entry, an entry path opens again from the recent files, and a package without a pair or a
// damaged one is refused naming it; Cancel while a large package is sorted out opens nothing.
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dornvalemainwindow.h"
#include "data/model/event_space.h"
#include "data/model/events_by_bursts_i.h"
#include "support/download_layouts.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/pair_flow_test.h"
#include "support/shown_message.h"
#include "support/test_support.h"
#include "support/zip_writer.h"
#include "util/recent_files.h"

#include <QPushButton>
#include <QTreeWidget>


using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

class test_open_package_flow : public pair_flow_test
{
    Q_OBJECT

private slots:
    void entries_named_as_a_pair_open_as_a_pair();
    void entries_told_apart_by_header_open_as_a_pair();
    void acceleration_button_takes_the_acceleration_entry();
    void entry_opens_again_from_the_recent_files();
    void dropped_package_opens_as_a_pair();
    void one_entry_with_both_sensors_pairs_with_itself();
    void package_without_pair_or_damaged_is_refused();
    void cancelled_sorting_opens_nothing();

private:
    const QByteArray acc = acc_file(6);
    const QByteArray gps = gps_file({-1, 0, 5, 25, 59}, 8.5, 47.25);
};

void test_open_package_flow::entries_named_as_a_pair_open_as_a_pair()
{
    const QString zip =
        write_zip(dir->path("study.zip"),
                  {{"README.txt", "read me"}, {"data/stork-gps.csv", gps}, {"data/stork-acc.csv", acc}});
    streams_capture streams;
    burst_main_window* w = open_pair(zip);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), zip + "/data/stork-acc.csv - Acceleration Data - Dornvale");
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"stork-acc.csv + stork-gps.csv", "  5 gps events", "  6 acc bursts"}));
    QCOMPARE(map().layers().size(), std::size_t(1));
    const events_by_bursts_i& events = *state->data_sets.at(0).association;
    QCOMPARE(events.event_count(-1), 1);
    QCOMPARE(events.event_count(0), 2);
    QCOMPARE(events.event_count(5), 1);
    // The GPS entry is read first, as a GPS file is.
    QVERIFY(streams.stderr_text().indexOf("loader_gps_eobsmb") <
            streams.stderr_text().indexOf("loader_eobsmb"));
}

void test_open_package_flow::entries_told_apart_by_header_open_as_a_pair()
{
    const QString zip = write_zip(dir->path("download.zip"), {{"a.csv", gps}, {"b.csv", acc}});
    streams_capture streams;
    burst_main_window* w = open_pair(zip);
    QVERIFY(w);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"b.csv + a.csv", "  5 gps events", "  6 acc bursts"}));
}

void test_open_package_flow::acceleration_button_takes_the_acceleration_entry()
{
    const QString zip = write_zip(dir->path("study.zip"), {{"stork-gps.csv", gps}, {"stork-acc.csv", acc}});
    streams_capture streams;
    QVERIFY(open_through_dialog(window->findChild<QPushButton*>("push_button_open_eobs_acc_file"), zip));
    QCOMPARE(tree_rows(window->open_files_tree()), (QStringList{"stork-acc.csv", "  6 acc bursts"}));
    QVERIFY(map().layers().empty());
}

void test_open_package_flow::entry_opens_again_from_the_recent_files()
{
    const QString zip = write_zip(dir->path("study.zip"), {{"stork-gps.csv", gps}, {"stork-acc.csv", acc}});
    streams_capture streams;
    QVERIFY(open_pair(zip));
    QCOMPARE(recent_files::list().front(), zip + "/stork-acc.csv");
    window->open_files({recent_files::list().front()});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 2, 10000);
    QCOMPARE(tree_rows(window->open_files_tree()).mid(3),
             (QStringList{"stork-acc.csv + stork-gps.csv", "  5 gps events", "  6 acc bursts"}));

    // An entry the archive no longer holds is missing like a file.
    QCOMPARE(shown_message::after([&] { window->open_files({zip + "/gone-acc.csv"}); }).text,
             "\"" + zip +
                 "/gone-acc.csv\" does not exist.\nCheck the file's name and folder, then open it again.");
}

void test_open_package_flow::dropped_package_opens_as_a_pair()
{
    const QString zip = write_zip(dir->path("study.zip"), {{"x.csv", acc}, {"y.csv", gps}});
    streams_capture streams;
    window->open_files({zip});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"x.csv + y.csv", "  5 gps events", "  6 acc bursts"}));
}

void test_open_package_flow::one_entry_with_both_sensors_pairs_with_itself()
{
    for (const QString& name : {QString("one.zip"), QString("two.zip")}) {
        QList<QPair<QByteArray, QByteArray>> entries{{"study.csv", mixed_sensor_file}};
        if (name == "two.zip")
            entries << qMakePair(QByteArray("notes.txt"), QByteArray("notes\n"));
        const QString zip = write_zip(dir->path(name), entries);
        streams_capture streams;
        QVERIFY2(open_pair(zip), qPrintable(name));
    }
    // The single entry is read as the archive itself, as before; of two, the entry is named.
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"one.zip", "  1 gps events", "  1 acc bursts", "study.csv", "  1 gps events",
                          "  1 acc bursts"}));
}

void test_open_package_flow::package_without_pair_or_damaged_is_refused()
{
    const QString only_acc =
        write_zip(dir->path("only.zip"), {{"a.csv", acc}, {"b.csv", acc}, {"c.txt", "notes\n"}});
    const QByteArray whole = zip_of({{"s-acc.csv", acc}, {"s-gps.csv", gps}}, dir->path() + "/scratch.zip");
    const QString cut = write("cut.zip", whole.left(whole.size() - 10));
    const QString no_data = write_zip(dir->path("nodata.zip"), {{"a.md", "x"}});
    streams_capture streams;
    QCOMPARE(shown_message::on_choosing(open_button(), only_acc).text,
             "\"" + only_acc +
                 "\" holds 3 files, but no acceleration and GPS pair among them.\nA package pairs files "
                 "named like "
                 "\"name-acc.csv\" and \"name-gps.csv\", or an acceleration export and a GPS export.");
    QCOMPARE(shown_message::on_choosing(open_button(), cut).text,
             "The archive \"" + cut +
                 "\" could not be read: Can't read file: the archive is damaged or incomplete (Not a zip "
                 "archive)\nCheck that the download is complete, then open it again.");
    QCOMPARE(
        shown_message::on_choosing(open_button(), no_data).text,
        "The archive \"" + no_data +
            "\" could not be read: Can't read file: the archive holds no .csv or .txt file\nCheck that the "
            "download is complete, then open it again.");
    // The acceleration button names the damage too.
    const QString text =
        shown_message::on_choosing(window->findChild<QPushButton*>("push_button_open_eobs_acc_file"), cut)
            .text;
    QVERIFY2(text.startsWith("The acceleration file \"" + cut +
                             "\" could not be read: Can't read file: the archive is "
                             "damaged or incomplete"),
             qPrintable(text));
    QVERIFY(burst_windows().isEmpty());
}

void test_open_package_flow::cancelled_sorting_opens_nothing()
{
    // 3,000 entries no reader takes: sorted out in full they would end in the "neither" message.
    QList<QPair<QByteArray, QByteArray>> entries;
    for (int i = 0; i < 3000; ++i)
        entries << qMakePair("t" + QByteArray::number(i) + ".csv", QByteArray("notes\n"));
    const QString zip = write_zip(dir->path("many.zip"), entries);
    streams_capture streams;
    QString message;
    modal_script script;
    gui_test_support::held_pool pool; // so the sorting cannot end first
    script.then([&](QWidget* w) {
        // A sorting that ended before Cancel was pressed fails here, not in a message left open.
        if (auto* box = qobject_cast<QMessageBox*>(w))
            return message = box->text(), box->accept(), true;
        return pool.cancel()(w);
    });
    window->open_files({zip});
    QCOMPARE(message, QString());
    QCOMPARE(script.titles, QStringList{"Loading"});
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(window->open_files_tree()->topLevelItemCount(), 0);
}

QTEST_MAIN(test_open_package_flow)
#include "test_open_package_flow.moc"

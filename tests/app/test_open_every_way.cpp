// Opening files without the Quick Start buttons: the rule for a given file (command line, drop,
// recent files), the GPS track alone, the File menu's recent files, the file dialog's filters and
// folder, remembered window geometry, cascading burst windows and closing the main window.
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dornvalemainwindow.h"
#include "app/open_flow.h"
#include "data/formats/loader_gps_eobsmb.h"
#include "map/map_form.h"
#include "map/map_widget.h"
#include "support/download_layouts.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/program_copy.h"
#include "support/shown_message.h"
#include "support/test_support.h"
#include "support/data_table.h"
#include "util/recent_files.h"
#include "views/activity/activity_plot_dialog.h"

#include <QAction>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QSplitter>
#include <QThreadPool>
#include <QTreeWidget>

#include <algorithm>

#include <sys/stat.h>

using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

namespace {

QByteArray acc_content(int bursts)
{
    QByteArray out = acc_header + "\n";
    for (int i = 0; i < bursts; ++i)
        out += "1,2,2014-05-02 10:" + QByteArray::number(10 + i) +
               ":00.000,10,XYZ,100 2000 4000 110 2010 3990\n";
    return out;
}

QByteArray gps_content(int fixes)
{
    QByteArray out = QByteArray(loader_gps_eobsmb::header) + "\n";
    for (int i = 0; i < fixes; ++i)
        out += "1,2,2014-05-02 10:00:00.000,8." + QByteArray::number(i) + ",47.2,55,3,A,40,2014-05-02 10:1" +
               QByteArray::number(i) + ":00.000,3.9,3.8,21,0.1,90,1,12\n";
    return out;
}

// Repository downloads: named columns, quoted; "Bo" and, from the given row on, "Cleo".
QByteArray named_acc_content(int bursts)
{
    QByteArray out = quoted(named_acc_header) + "\n";
    for (int i = 0; i < bursts; ++i)
        out +=
            "\"Bo\",\"2014-05-02 10:" + QByteArray::number(10 + i) + ":00.000\",\"XYZ\",\"10\",\"1 2 3\"\n";
    return out;
}

QByteArray named_gps_content(int fixes, int cleo_from)
{
    QByteArray out = quoted(named_gps_header) + "\n";
    for (int i = 0; i < fixes; ++i)
        out += QByteArray(i >= cleo_from ? "Cleo" : "Bo") + ",8." + QByteArray::number(i) +
               ",47.2,2014-05-02 10:1" + QByteArray::number(i) + ":00.000\n";
    return out;
}

// Sends a drag carrying urls and then its drop; returns whether the drag was accepted.
bool drag_and_drop(QWidget* target, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class test_open_every_way : public QObject, private main_window_fixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rule_per_kind_data();
    void rule_per_kind();
    void several_files_one_after_the_other();
    void drop_on_main_and_burst_window();
    void pair_given_with_its_gps_file_opens_once();
    void gps_track_alone_is_removable();
    void gps_alone_failures_name_the_file();
    void progress_dialog_shows_the_percentage_read();
    void recent_files_menu_opens_and_clears();
    void file_dialog_filters_and_last_folder();
    void geometry_and_splitter_remembered_across_restart();
    void burst_windows_cascade_and_remember_their_size();
    void closing_the_main_window_asks_once_and_ends_the_program();
    void command_line_opens_each_file();

private:
    // Writes each "name:kind" (acc, gps or notes).
    void write_all(const QStringList& specs);
    map_widget& map() { return window->get_map_form()->map; }
};

void test_open_every_way::init()
{
    clear_settings();
    QVERIFY(QTest::qWaitForWindowExposed(&open_main_window("/tiles")));
}

void test_open_every_way::cleanup()
{
    QVERIFY(close_main_window());
}

void test_open_every_way::write_all(const QStringList& specs)
{
    for (const QString& spec : specs) {
        const QString name = spec.section(':', 0, 0);
        const QString kind = spec.section(':', 1, 1);
        write(name, kind == "acc"       ? acc_content(3)
                    : kind == "gps"     ? gps_content(2)
                    : kind == "nacc"    ? named_acc_content(3)
                    : kind == "ngps"    ? named_gps_content(2, 2)
                    : kind == "animals" ? named_gps_content(3, 1)
                    : kind == "dora"    ? named_gps_content(2, 2) + "Dora,,47.2,2014-05-02 10:30:00.000\n"
                    : kind == "mixed"   ? mixed_sensor_file
                                        : "some,notes\n1,2\n");
    }
}

void test_open_every_way::rule_per_kind_data()
{
    add_columns<QStringList, QString, QStringList, int, int, QString>(
        "files", "opened", "rows", "windows", "tracks",
        "message"); // DIR stands for the test's folder

    add_row("acceleration with its GPS partner: the pair", QStringList{"a_acc.txt:acc", "a_gps.txt:gps"},
            "a_acc.txt", QStringList{"a_acc.txt + a_gps.txt", "  2 gps events", "  3 acc bursts"}, 1, 1, "");
    add_row("acceleration with its partner, csv names", QStringList{"b-acc.csv:acc", "b-gps.csv:gps"},
            "b-acc.csv", QStringList{"b-acc.csv + b-gps.csv", "  2 gps events", "  3 acc bursts"}, 1, 1, "");
    add_row("acceleration without partner: alone", QStringList{"c_acc.txt:acc"}, "c_acc.txt",
            QStringList{"c_acc.txt", "  3 acc bursts"}, 1, 0, "");
    add_row("acceleration under an unpaired name: alone", QStringList{"tag.csv:acc"}, "tag.csv",
            QStringList{"tag.csv", "  3 acc bursts"}, 1, 0, "");
    add_row("acceleration named as GPS: alone, not paired with itself",
            QStringList{"d_gps.txt:acc", "d_acc.txt:notes"}, "d_gps.txt",
            QStringList{"d_gps.txt", "  3 acc bursts"}, 1, 0, "");
    add_row("GPS: the track alone", QStringList{"e_gps.txt:gps"}, "e_gps.txt",
            QStringList{"e_gps.txt", "  2 gps events"}, 0, 1, "");
    add_row("GPS whose acceleration partner exists: the track alone",
            QStringList{"f_gps.txt:gps", "f_acc.txt:acc"}, "f_gps.txt",
            QStringList{"f_gps.txt", "  2 gps events"}, 0, 1, "");
    add_row("repository download with its GPS partner: the pair",
            QStringList{"s-acc.csv:nacc", "s-gps.csv:ngps"}, "s-acc.csv",
            QStringList{"s-acc.csv + s-gps.csv", "  2 gps events", "  3 acc bursts"}, 1, 1, "");
    add_row("repository acceleration download: alone", QStringList{"t.csv:nacc"}, "t.csv",
            QStringList{"t.csv", "  3 acc bursts"}, 1, 0, "");
    add_row("repository GPS download: the track alone", QStringList{"u.csv:ngps"}, "u.csv",
            QStringList{"u.csv", "  2 gps events"}, 0, 1, "");
    add_row("GPS download of two animals: a track each", QStringList{"v.csv:animals"}, "v.csv",
            QStringList{"v.csv (animal Bo)", "  1 gps events", "v.csv (animal Cleo)", "  2 gps events"}, 0, 2,
            "");
    add_row("GPS download with an animal of left-out fixes only: its empty track is said",
            QStringList{"x.csv:dora"}, "x.csv",
            QStringList{"x.csv (animal Bo)", "  2 gps events", "x.csv (animal Dora)",
                        "  0 gps events, 1 left out: 2D or invalid"},
            0, 2, "");
    add_row("download with both sensors: its own pair", QStringList{"w.csv:mixed"}, "w.csv",
            QStringList{"w.csv", "  1 gps events", "  1 acc bursts"}, 1, 1, "");
    add_row("neither", QStringList{"g_acc.txt:notes"}, "g_acc.txt", QStringList{}, 0, 0,
            "\"DIR/g_acc.txt\" is neither an E-OBS acceleration export nor an E-OBS GPS "
            "export.\nOpen an export (.csv or .txt) as it came from the tag's download.");
    add_row("missing", QStringList{}, "h_acc.txt", QStringList{}, 0, 0, "\"DIR/h_acc.txt\" does not exist.\nCheck the file's name and folder, then open it "
           "again.");
}

void test_open_every_way::rule_per_kind()
{
    auto [files, opened, rows, windows, tracks, message] =
        fetch<QStringList, QString, QStringList, int, int, QString>("files", "opened", "rows", "windows",
                                                                    "tracks", "message");
    write_all(files);
    QString title, text;
    modal_script script;
    if (!message.isEmpty())
        script.then(answer_message(QMessageBox::Ok, &title, &text));
    window->open_files({dir->path() + "/" + opened});
    QTRY_COMPARE_WITH_TIMEOUT(tree_rows(window->open_files_tree()), rows, 10000);
    QTRY_VERIFY(script.done());
    QTest::qWait(50);
    QCOMPARE(tree_rows(window->open_files_tree()), rows);
    QCOMPARE(burst_windows().size(), windows);
    QCOMPARE(int(map().layers().size()), tracks);
    int registered_tracks = 0;
    for (const auto& set : state->data_sets)
        registered_tracks += set.second.track && set.second.fixes ? 1 : 0;
    QCOMPARE(registered_tracks, tracks);
    if (!message.isEmpty()) {
        QCOMPARE(title, QString("Open failed"));
        QCOMPARE(text, QString(message).replace("DIR", dir->path()));
        QCOMPARE(state->next_gang_id, 0);
        QCOMPARE(recent_files::list(), QStringList());
    } else {
        // One data set per top-level row (a GPS download of two animals has two).
        const int data_sets = static_cast<int>(
            std::count_if(rows.begin(), rows.end(), [](const QString& row) { return !row.startsWith(' '); }));
        QCOMPARE(state->next_gang_id, data_sets);
        QCOMPARE(recent_files::list(), QStringList{dir->path() + "/" + opened});
    }
}

void test_open_every_way::several_files_one_after_the_other()
{
    write_all({"a_acc.txt:acc", "b_gps.txt:gps", "c.txt:notes", "d_acc.txt:acc"});
    QString text;
    modal_script script;
    script.then(answer_message(QMessageBox::Ok, nullptr, &text));
    window->open_files({dir->path() + "/a_acc.txt", dir->path() + "/b_gps.txt", dir->path() + "/c.txt",
                        dir->path() + "/d_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 3, 10000);
    QTRY_COMPARE(tree_rows(window->open_files_tree()),
                 (QStringList{"a_acc.txt", "  3 acc bursts", "b_gps.txt", "  2 gps events", "d_acc.txt",
                              "  3 acc bursts"}));
    QVERIFY(text.startsWith("\"" + dir->path() + "/c.txt\" is neither"));
    QCOMPARE(recent_files::list(), (QStringList{dir->path() + "/d_acc.txt", dir->path() + "/b_gps.txt",
                                                dir->path() + "/a_acc.txt"}));
}

void test_open_every_way::drop_on_main_and_burst_window()
{
    write_all({"a_acc.txt:acc", "b_gps.txt:gps", "c_acc.txt:acc", "c_gps.txt:gps"});
    // Nothing local to open: the drag is refused.
    QVERIFY(!drag_and_drop(window.get(), {QUrl("https://example.org/a_acc.txt")}));
    QVERIFY(!drag_and_drop(window.get(), {}));

    QVERIFY(drag_and_drop(window.get(), {QUrl::fromLocalFile(dir->path() + "/a_acc.txt")}));
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    burst_main_window* burst = burst_windows().first();
    QVERIFY(drag_and_drop(burst, {QUrl::fromLocalFile(dir->path() + "/b_gps.txt"),
                                  QUrl::fromLocalFile(dir->path() + "/c_acc.txt")}));
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 3, 10000);
    QTRY_COMPARE(tree_rows(window->open_files_tree()),
                 (QStringList{"a_acc.txt", "  3 acc bursts", "b_gps.txt", "  2 gps events",
                              "c_acc.txt + c_gps.txt", "  2 gps events", "  3 acc bursts"}));
    QCOMPARE(map().layers().size(), size_t(2));
}

void test_open_every_way::pair_given_with_its_gps_file_opens_once()
{
    write_all({"p_acc.txt:acc", "p_gps.txt:gps", "q_gps.txt:gps"});
    window->open_files({dir->path() + "/p_gps.txt", dir->path() + "/q_gps.txt", dir->path() + "/p_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 2, 10000);
    QTRY_COMPARE(tree_rows(window->open_files_tree()),
                 (QStringList{"q_gps.txt", "  2 gps events", "p_acc.txt + p_gps.txt", "  2 gps events",
                              "  3 acc bursts"}));
    QCOMPARE(map().layers().size(), size_t(2));
    QTest::qWait(200); // no third data set follows
    QCOMPARE(state->next_gang_id, 2);
}

void test_open_every_way::gps_track_alone_is_removable()
{
    write_all({"a_gps.txt:gps", "b_acc.txt:acc", "c_gps.txt:gps"});
    window->open_files({dir->path() + "/a_gps.txt", dir->path() + "/b_acc.txt", dir->path() + "/c_gps.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 3, 10000);
    QTRY_COMPARE(map().layers().size(), size_t(2));
    QTreeWidget* tree = window->open_files_tree();
    auto* close_data_set = tree->findChild<QAction*>("actionClose_data_set");
    QVERIFY(close_data_set);
    QCOMPARE(close_data_set->text(), QString("Close Data Set"));
    QCOMPARE(close_data_set->shortcut(), QKeySequence(QKeySequence::Delete));
    QCOMPARE(tree->contextMenuPolicy(), Qt::ActionsContextMenu);

    // The child row of the first track stands for its data set.
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    close_data_set->trigger();
    QCOMPARE(map().layers().size(), size_t(1));
    QVERIFY(!state->data_sets.count(0));
    QVERIFY(state->data_sets.at(2).fixes);
    QCOMPARE(tree_rows(tree), (QStringList{"b_acc.txt", "  3 acc bursts", "c_gps.txt", "  2 gps events"}));

    // An acceleration data set closes through its window, which asks first.
    tree->setCurrentItem(tree->topLevelItem(0));
    {
        modal_script script;
        script.then(answer_message(QMessageBox::Cancel));
        close_data_set->trigger();
        QVERIFY(script.done());
    }
    QCOMPARE(burst_windows().size(), 1);
    {
        modal_script script;
        script.then(answer_message(QMessageBox::Close));
        close_data_set->trigger();
        QVERIFY(script.done());
    }
    QTRY_VERIFY(burst_windows().isEmpty());
    QCOMPARE(tree_rows(tree), (QStringList{"c_gps.txt", "  2 gps events"}));
    // Nothing selected: nothing happens.
    tree->setCurrentItem(nullptr);
    close_data_set->trigger();
    QCOMPARE(map().layers().size(), size_t(1));
}

void test_open_every_way::gps_alone_failures_name_the_file()
{
    // Started directly, as open_files does once the header said GPS: the chain still decides.
    const QString notes = write("a_gps.txt", "some,notes\n");
    const auto start_from = [this](const QString& path) {
        return [this, path] { window->start_open(open_request::gps)->open_path(path); };
    };
    QCOMPARE(shown_message::after(start_from(notes)).text,
             "The GPS file \"" + notes +
                 "\" is not an E-OBS GPS export: its first line is in neither GPS layout.\nChoose the GPS "
                 "export of a tag.");

    // Cancelled while the worker reads a line without end (a 64 GiB sparse hole).
    const QString endless = dir->write_with_hole("b_gps.txt", gps_content(0), qint64(64) << 30);
    QCOMPARE(shown_message::after(start_from(endless), {cancel_progress()}).text,
             "Load cancelled.\n\"" + endless + "\" was not opened.");

    // A pipe would hold the worker in open(): refused unread, with its name.
    const QString pipe = dir->path() + "/c_gps.txt";
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(shown_message::after(start_from(pipe)).text,
             QString("The GPS file \"%1\" could not be read: Can't open file: \"%1\" is not a regular file "
                     "(a directory, device or pipe)\nCheck that it is a readable file, then open it again.")
                 .arg(pipe));
    QVERIFY(map().layers().empty());
    QCOMPARE(state->next_gang_id, 0);
    QCOMPARE(recent_files::list(), QStringList());
}

void test_open_every_way::progress_dialog_shows_the_percentage_read()
{
    // About 3 MB of acceleration data with a small GPS partner. The pool runs one worker, held until
    // the dialog is watched, so the load waits in the queue and the bar is seen busy first.
    QByteArray acc = acc_header + "\n";
    for (int i = 0; i < 50000; ++i)
        acc += "1,2,2014-05-02 10:10:00.000,10,XYZ,100 2000 4000 110 2010 3990\n";
    write("big_acc.txt", acc);
    write("big_gps.txt", gps_content(2));
    struct held_pool
    {
        QThreadPool* pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        QSemaphore gate;
        held_pool()
        {
            pool->setMaxThreadCount(1);
            pool->start([this] { gate.acquire(); });
        }
        ~held_pool()
        {
            gate.release();
            pool->waitForDone();
            pool->setMaxThreadCount(threads);
        }
    } held;
    QList<int> values; // of the acceleration file; the GPS file has its own, read first
    QStringList labels;
    int busy_maximum = -1;
    modal_script script;
    script.then([&](QWidget* w) {
        auto* progress = qobject_cast<QProgressDialog*>(w);
        if (!progress)
            return false;
        busy_maximum = progress->maximum();
        auto* bar = progress->findChild<QProgressBar*>();
        connect(bar, &QProgressBar::valueChanged, progress, [&values, &labels, progress, bar](int v) {
            if (bar->maximum() == 100 && v >= 0 && progress->labelText().endsWith("big_acc.txt"))
                values << v;
            labels << progress->labelText();
        });
        held.gate.release();
        return true;
    });
    window->open_files({dir->path() + "/big_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 20000);
    QCOMPARE(busy_maximum, 0);
    QVERIFY2(!values.isEmpty(), "no percentage reached the dialog");
    for (int i = 1; i < values.size(); ++i)
        QVERIFY2(values[i] > values[i - 1], qPrintable(QString("not rising at %1").arg(i)));
    QCOMPARE(values.last(), 100);
    QVERIFY(labels.contains(QString("loading gps data file...\nbig_gps.txt")));
    QCOMPARE(labels.last(), QString("loading acceleration data file...\nbig_acc.txt"));
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"big_acc.txt + big_gps.txt", "  2 gps events", "  50000 acc bursts"}));
}

void test_open_every_way::recent_files_menu_opens_and_clears()
{
    write_all({"a_acc.txt:acc", "b_gps.txt:gps"});
    auto* recent = window->findChild<QMenu*>("menuRecent");
    QVERIFY(recent);
    auto texts = [recent] {
        emit recent->aboutToShow();
        QStringList out;
        for (QAction* a : recent->actions())
            out << (a->isSeparator() ? "---" : a->text() + (a->isEnabled() ? "" : " (off)"));
        return out;
    };
    QCOMPARE(texts(), (QStringList{"---", "Clear (off)"}));
    window->open_files({dir->path() + "/a_acc.txt", dir->path() + "/b_gps.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 2, 10000);
    QCOMPARE(texts(), (QStringList{dir->path() + "/b_gps.txt", dir->path() + "/a_acc.txt", "---", "Clear"}));

    // The older entry opens again by the same rule and moves to the front.
    recent->actions().at(1)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 2, 10000);
    QCOMPARE(texts(), (QStringList{dir->path() + "/a_acc.txt", dir->path() + "/b_gps.txt", "---", "Clear"}));

    recent->findChild<QAction*>("actionClear_recent")->trigger();
    QCOMPARE(recent_files::list(), QStringList());
    QCOMPARE(texts(), (QStringList{"---", "Clear (off)"}));
}

void test_open_every_way::file_dialog_filters_and_last_folder()
{
    QVERIFY(QDir(dir->path()).mkdir("sub"));
    const QString path = write("sub/a_acc.txt", acc_content(2));
    QStringList filters;
    QString first_dir, second_dir;
    auto with_filters = [&](const QString& chosen, QString* directory) {
        return [&, chosen, directory](QWidget* w) {
            if (auto* d = qobject_cast<QFileDialog*>(w))
                filters = d->nameFilters();
            return choose_file(chosen, {}, nullptr, directory)(w);
        };
    };
    {
        modal_script script;
        script.then(with_filters(path, &first_dir));
        window->findChild<QPushButton*>("push_button_open_eobs_acc_file")->click();
        QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    }
    QCOMPARE(filters, (QStringList{"E-OBS exports (*.csv *.txt *.zip *.gz)", "All files (*)"}));
    QCOMPARE(first_dir, QDir::homePath());
    // The next dialog, of either button, starts in the folder used last; a cancelled one changes nothing.
    for (const char* button : {"push_button_open_eobs_acc_and_gps_files", "push_button_open_eobs_acc_file"}) {
        modal_script script;
        script.then(with_filters(QString(), &second_dir));
        window->findChild<QPushButton*>(button)->click();
        QTRY_VERIFY(script.done());
        QCOMPARE(second_dir, dir->path() + "/sub");
    }
    // A folder that has gone: the home directory again.
    QVERIFY(QDir(dir->path() + "/sub").removeRecursively());
    modal_script script;
    script.then(with_filters(QString(), &second_dir));
    window->findChild<QPushButton*>("push_button_open_eobs_acc_file")->click();
    QTRY_VERIFY(script.done());
    QCOMPARE(second_dir, QDir::homePath());
}

void test_open_every_way::geometry_and_splitter_remembered_across_restart()
{
    // The first run has nothing to restore.
    QVERIFY(!window->geometry_restored());
    const QRect main_geometry(40, 50, 620, 430);
    window->setGeometry(main_geometry);
    QTRY_COMPARE(window->geometry(), main_geometry);
    auto* splitter = window->findChild<QSplitter*>("splitter");
    splitter->setSizes({180, 440});
    const QList<int> sizes = splitter->sizes();
    emit splitter->splitterMoved(sizes.at(0), 1);
    map_form* form = window->get_map_form();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    const QRect map_geometry(100, 120, 410, 320);
    form->setGeometry(map_geometry);
    QTRY_COMPARE(form->geometry(), map_geometry);

    // A new run: the settings are all that is left.
    QVERIFY(QTest::qWaitForWindowExposed(&restart_main_window()));
    QVERIFY(window->geometry_restored());
    QTRY_COMPARE(window->geometry(), main_geometry);
    QCOMPARE(window->findChild<QSplitter*>("splitter")->sizes(), sizes);
    QTRY_COMPARE(window->get_map_form()->geometry(), map_geometry);

    // The activity plot window likewise.
    write_all({"a_acc.txt:acc"});
    window->open_files({dir->path() + "/a_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    auto* plot = burst_windows().first()->findChild<QAction*>("actionActivity_Plot");
    plot->trigger();
    auto* first = burst_windows().first()->findChild<activity_plot_dialog*>();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    const QRect plot_geometry(60, 70, 700, 420);
    first->setGeometry(plot_geometry);
    QTRY_COMPARE(first->geometry(), plot_geometry);
    first->close();
    plot->trigger();
    const auto dialogs = burst_windows().first()->findChildren<activity_plot_dialog*>();
    QCOMPARE(dialogs.size(), 2);
    QTRY_COMPARE(dialogs.at(1)->geometry(), plot_geometry);
}

void test_open_every_way::burst_windows_cascade_and_remember_their_size()
{
    window->setGeometry(QRect(20, 30, 600, 400));
    QTRY_COMPARE(window->geometry().topLeft(), QPoint(20, 30));
    write_all({"a_acc.txt:acc", "b_acc.txt:acc", "c_acc.txt:acc"});
    window->open_files({dir->path() + "/a_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    burst_main_window* a = state->window_of(0);
    const QPoint main_frame = window->pos();
    QTRY_COMPARE(a->pos(), main_frame + QPoint(30, 30));
    a->resize(900, 520);
    QTRY_COMPARE(a->size(), QSize(900, 520));
    window->open_files({dir->path() + "/b_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 2, 10000);
    burst_main_window* b = state->window_of(1);
    QTRY_COMPARE(b->pos(), main_frame + QPoint(60, 60));
    QCOMPARE(b->size(), QSize(900, 520));
    window->open_files({dir->path() + "/c_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 3, 10000);
    QTRY_COMPARE(state->window_of(2)->pos(), main_frame + QPoint(90, 90));
}

void test_open_every_way::closing_the_main_window_asks_once_and_ends_the_program()
{
    write_all({"a_acc.txt:acc", "b_gps.txt:gps"});
    window->open_files({dir->path() + "/a_acc.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 1, 10000);
    QString title, text;
    {
        modal_script script;
        script.then(answer_message(QMessageBox::Cancel, &title, &text));
        QVERIFY(!window->close());
        QVERIFY(script.done());
    }
    QCOMPARE(title, QString("Quit Dornvale"));
    QCOMPARE(text, QString("One data set is open.\nQuit Dornvale and close all its windows?"));
    QVERIFY(window->isVisible());
    QCOMPARE(burst_windows().size(), 1);

    window->open_files({dir->path() + "/b_gps.txt"});
    QTRY_COMPARE_WITH_TIMEOUT(state->next_gang_id, 2, 10000);
    modal_script script;
    script.then(answer_message(QMessageBox::Ok, &title, &text));
    streams_capture streams;
    QTimer::singleShot(0, window.get(),
                       [this] { window->findChild<QAction*>("actionClose_window")->trigger(); });
    // The program's event loop ends once the question is answered.
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(script.done());
    QCOMPARE(script.titles, QStringList{"Quit Dornvale"});
    QCOMPARE(text, QString("2 data sets are open.\nQuit Dornvale and close all its windows?"));
    QVERIFY(!window->isVisible());
    QCOMPARE(streams.stdout_text(), QString("quit!\n"));
}

void test_open_every_way::command_line_opens_each_file()
{
    write_all({"a_acc.txt:acc", "a_gps.txt:gps", "b_gps.txt:gps", "c.txt:notes"});
    program_copy program;
    QVERIFY(program.prepare("[build]\nupdate_service=http://127.0.0.1:1/\n"));
    program.start({dir->path() + "/a_acc.txt", dir->path() + "/b_gps.txt", dir->path() + "/c.txt"});
    QVERIFY(program.process.waitForStarted(10000));
    QVERIFY2(program.wait_for("header check of " + dir->path() + "/c.txt", 30000), qPrintable(program.log()));
    const QString log = program.log();
    int at = 0;
    for (const QString& line :
         {"header check of " + dir->path() + "/a_acc.txt", QString("loader_gps_eobsmb succeeded"),
          QString("loader_eobsmb succeeded"), "header check of " + dir->path() + "/b_gps.txt",
          QString("loader_gps_eobsmb succeeded"), "header check of " + dir->path() + "/c.txt"}) {
        const int found = log.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable("missing or out of order: " + line + "\n" + log));
        at = found + line.size();
    }
    QVERIFY(log.contains("load_eobs_acc_and_gps_finished"));
    QCOMPARE(program.process.state(), QProcess::Running);
}

QTEST_MAIN(test_open_every_way)
#include "test_open_every_way.moc"

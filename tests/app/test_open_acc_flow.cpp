// "Open E-OBS Acceleration File" end to end: file dialog, progress dialog, worker, burst window,
// tree rows, registration, the failure messages, close confirmation and release of closed gangs.
#include "views/activity/activity_plot_dialog.h"
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "views/burst/burst_axis.h"
#include "views/burst/burst_legend.h"
#include "views/burst/burst_paint_panel.h"
#include "data/model/burst_space.h"
#include "app/dornvalemainwindow.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/main_window_fixture.h"
#include "support/shown_message.h"
#include "support/test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>

#include <sys/stat.h>

#include <algorithm>

using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

namespace {

QByteArray acc_lines(int bursts)
{
    QByteArray out;
    for (int i = 0; i < bursts; ++i)
        out += "1,2,2014-05-02 13:" + QByteArray::number(10 + i % 50) +
               ":00.000,10,XYZ,100 2000 4000 110 2010 3990\n";
    return out;
}

} // namespace

class test_open_acc_flow : public QObject, private main_window_fixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opens_window_rows_and_registers_two_gangs();
    void file_dialog_cancelled_does_nothing();
    void missing_file_warns();
    void unknown_layout_warns();
    void refusal_names_the_fault_data();
    void refusal_names_the_fault();
    void gps_export_points_to_the_pair_button();
    void unreadable_file_warns_with_reason();
    void cancel_while_loading_warns_once();
    void pipe_refused_with_its_name();
    void close_confirmation_answers();
    void close_removes_only_its_row_and_releases_the_gang();
    void burst_window_form_and_activity_plot();
    void skipped_line_counted_in_its_row();

private:
    QPushButton* open_button() { return window->findChild<QPushButton*>("push_button_open_eobs_acc_file"); }
    void click_open() { open_button()->click(); }
    burst_main_window* open_ok(const QString& path);
};

void test_open_acc_flow::init()
{
    clear_settings();
    open_main_window(QString(), nullptr);
}

void test_open_acc_flow::cleanup()
{
    QVERIFY(close_main_window());
}

burst_main_window* test_open_acc_flow::open_ok(const QString& path)
{
    if (!open_through_dialog(open_button(), path))
        return nullptr;
    for (burst_main_window* w : burst_windows())
        if (!state->windows().empty() && state->windows().back().second == w)
            return w;
    return nullptr;
}

void test_open_acc_flow::opens_window_rows_and_registers_two_gangs()
{
    const QString path = write("tag_acc.txt", acc_header + "\n" + acc_lines(3));
    QString caption, start_dir;
    streams_capture streams;
    {
        modal_script script;
        script.then(choose_file(path, {}, &caption, &start_dir));
        click_open();
        QTRY_COMPARE_WITH_TIMEOUT(burst_windows().size(), 1, 10000);
    }
    QCOMPARE(caption, QString("Open Acceleration Data File"));
    QCOMPARE(start_dir, QDir::homePath());
    burst_main_window* first = burst_windows().first();
    QVERIFY(first->isVisible());
    QCOMPARE(first->windowTitle(), path + " - Acceleration Data - Dornvale");
    QCOMPARE(state->next_gang_id, 1);
    QCOMPARE(state->windows().size(), size_t(1));
    QCOMPARE(state->windows()[0].first, 0);
    QCOMPARE(state->windows()[0].second, first);
    QCOMPARE(state->data_sets.at(0).bursts->entry_count(), 3);
    QVERIFY(state->data_sets.at(0).association);
    QVERIFY(!state->data_sets.at(0).fixes);
    QCOMPARE(tree_rows(window->open_files_tree()), (QStringList{"tag_acc.txt", "  3 acc bursts"}));
    QVERIFY(window->open_files_tree()->topLevelItem(0)->isExpanded());
    QVERIFY(window->findChild<QSplitter*>("splitter")->sizes().at(0) > 0);
    QVERIFY(streams.stdout_text().contains("filename: " + path + "\n"));

    burst_main_window* second = open_ok(path);
    QVERIFY(second);
    QVERIFY(second != first);
    QCOMPARE(state->windows()[1].first, 1);
    QCOMPARE(state->next_gang_id, 2);
    QCOMPARE(window->open_files_tree()->topLevelItemCount(), 2);
}

void test_open_acc_flow::file_dialog_cancelled_does_nothing()
{
    modal_script script;
    script.then(choose_file(QString()));
    streams_capture streams;
    click_open();
    QTRY_VERIFY(script.done());
    QTest::qWait(50);
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(state->next_gang_id, 0);
    QVERIFY(streams.stdout_text().contains("filename: \n"));
}

void test_open_acc_flow::missing_file_warns()
{
    const QString path = write("gone_acc.txt", acc_header + "\n" + acc_lines(1));
    // The file vanishes between the file dialog and the existence check.
    const shown_message shown =
        shown_message::on_choosing(open_button(), path, [path] { QFile::remove(path); });
    QCOMPARE(shown.title, QString("Open failed"));
    QCOMPARE(shown.text,
             "\"" + path + "\" does not exist.\nCheck the file's name and folder, then open it again.");
    QCOMPARE(shown.dialogs.size(), 2);
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_acc_flow::unknown_layout_warns()
{
    const QString path = write("notes.txt", "this,is\nnot,acceleration\n");
    QCOMPARE(refused_open(open_button(), path),
             "File format not recognized: \"" + path +
                 "\" is not an E-OBS acceleration export.\nChoose an acceleration export (.csv or .txt) "
                 "as it came from the tag's download.");
    QCOMPARE(window->open_files_tree()->topLevelItemCount(), 0);
}

void test_open_acc_flow::refusal_names_the_fault_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "is empty.";
    QTest::newRow("no raw column")
        << QByteArray("eobs:start-timestamp,eobs:acceleration-axes,"
                      "eobs:acceleration-sampling-frequency-per-axis\n")
        << "lacks the column \"eobs:accelerations-raw\" that an acceleration download needs.";
}

void test_open_acc_flow::refusal_names_the_fault()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const QString path = write("download.csv", content);
    QCOMPARE(shown_message::on_choosing(open_button(), path).text, "\"" + path + "\" " + reason);
}

void test_open_acc_flow::gps_export_points_to_the_pair_button()
{
    // The fixed GPS layout and a repository GPS download alike.
    const QStringList paths{write("tag_gps.txt", gps_file({0, 5}, 8.5, 47.25)),
                            write("study-gps.csv", "\"location-long\",\"location-lat\",\"timestamp\"\n"
                                                   "8.5,47.25,2014-05-02 10:00:00.000\n")};
    for (const QString& path : paths) {
        QCOMPARE(shown_message::on_choosing(open_button(), path).text,
                 "\"" + path +
                     "\" is a GPS export, not an acceleration export.\nOpen it with \"Open E-OBS "
                     "Acceleration and GPS Files\", which finds its acceleration file by name.");
    }
    QVERIFY(burst_windows().isEmpty());
}

void test_open_acc_flow::unreadable_file_warns_with_reason()
{
    const QString path = write("odd_acc.txt", acc_header + "\n");
    // Replaced by a directory after the dialog: it exists, but cannot be read as a file.
    const QString text = shown_message::on_choosing(open_button(), path, turn_into_directory(path)).text;
    QVERIFY2(text.startsWith("The acceleration file \"" + path + "\" could not be read: Can't open file: "),
             qPrintable(text));
    QVERIFY2(text.endsWith("\nCheck that it is a readable file, then open it again."), qPrintable(text));
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_acc_flow::cancel_while_loading_warns_once()
{
    // 64 GiB without a line end after the header (a sparse hole) keep the worker reading until the
    // test has cancelled; the reader sees the cancel inside the line.
    const QString path = dir->write_with_hole("hole_acc.txt", acc_header + "\n", qint64(64) << 30);
    QString progress_title;
    QString progress_label;
    bool progress_modal = false;
    bool progress_parentless = false;
    const QString text =
        shown_message::on_choosing(open_button(), path, {}, {[&](QWidget* w) {
                                       auto* progress = qobject_cast<QProgressDialog*>(w);
                                       if (!progress)
                                           return false;
                                       progress_title = progress->windowTitle();
                                       progress_modal = progress->isModal();
                                       progress_parentless = progress->parentWidget() == nullptr;
                                       // As the user does: the Cancel button.
                                       QTimer::singleShot(100, progress, [progress, &progress_label] {
                                           progress_label = progress->labelText();
                                           progress->findChild<QPushButton*>()->click();
                                       });
                                       return true;
                                   }})
            .text;
    QCOMPARE(progress_title, QString("Loading"));
    // The chain's status text reaches the dialog's label, with the file's name.
    QCOMPARE(progress_label, QString("loading acceleration data file...\nhole_acc.txt"));
    QVERIFY(progress_modal);
    QVERIFY(progress_parentless);
    QCOMPARE(text, "Load cancelled.\n\"" + path + "\" was not opened.");
    QTest::qWait(100);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_acc_flow::pipe_refused_with_its_name()
{
    // A pipe without a writer would block the worker in open(): it is refused before.
    const QString path = dir->path() + "/pipe_acc.txt";
    QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QCOMPARE(shown_message::on_choosing(open_button(), path).text,
             QString("The acceleration file \"%1\" could not be read: Can't open file: \"%1\" is not a "
                     "regular file (a directory, device or pipe)\nCheck that it is a readable file, then "
                     "open it again.")
                 .arg(path));
    QVERIFY(burst_windows().isEmpty());
    QCOMPARE(state->next_gang_id, 0);
}

void test_open_acc_flow::close_confirmation_answers()
{
    const QString path = write("a_acc.txt", acc_header + "\n" + acc_lines(2));
    burst_main_window* w = open_ok(path);
    QVERIFY(w);
    QSignalSpy closed(w, SIGNAL(window_closed(burst_main_window*)));
    for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Escape}) {
        QString title, text;
        QList<QMessageBox::StandardButton> buttons;
        modal_script script;
        script.then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            for (QAbstractButton* b : box->buttons())
                buttons << box->standardButton(b);
            return answer_message(answer, &title, &text)(w);
        });
        QVERIFY(!w->close());
        QCOMPARE(title, QString("Close Acceleration Data"));
        QCOMPARE(text, QStringLiteral("Close the acceleration data set \"%1\"?").arg(path));
        // Close and Cancel only.
        std::sort(buttons.begin(), buttons.end());
        QCOMPARE(buttons, (QList<QMessageBox::StandardButton>{QMessageBox::Close, QMessageBox::Cancel}));
        QVERIFY(w->isVisible());
        QCOMPARE(closed.count(), 0);
    }
    // The Close action asks the same question.
    QString title;
    modal_script script;
    script.then(answer_message(QMessageBox::Close, &title));
    QCOMPARE(w->findChild<QAction*>("actionClose")->shortcut(), QKeySequence("Ctrl+W"));
    w->findChild<QAction*>("actionClose")->trigger();
    QCOMPARE(title, QString("Close Acceleration Data"));
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.at(0).at(0).value<burst_main_window*>(), w);
}

void test_open_acc_flow::close_removes_only_its_row_and_releases_the_gang()
{
    burst_main_window* a = open_ok(write("a_acc.txt", acc_header + "\n" + acc_lines(1)));
    burst_main_window* b = open_ok(write("b_acc.txt", acc_header + "\n" + acc_lines(2)));
    burst_main_window* c = open_ok(write("c_acc.txt", acc_header + "\n" + acc_lines(3)));
    QVERIFY(a && b && c);
    QPointer<burst_main_window> closed_window = b;
    modal_script script;
    script.then(answer_message(QMessageBox::Close));
    debug_capture log;
    QVERIFY(b->close());
    QVERIFY(log.contains("dornvalemainwindow::window_closed(burst_main_window *):  burst_main_window(0x"));
    QVERIFY(log.contains(" found! => gang_id =  1"));
    QVERIFY(log.contains(" found burst_main_windows for gang_id"));
    QVERIFY(log.contains(" found QTreeWidgetItem for gang_id"));
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"a_acc.txt", "  1 acc bursts", "c_acc.txt", "  3 acc bursts"}));
    QCOMPARE(state->windows().size(), size_t(2));
    QCOMPARE(state->windows()[0].first, 0);
    QCOMPARE(state->windows()[1].first, 2);
    // The closed gang's window and data are released; the others stay.
    QTRY_VERIFY(closed_window.isNull());
    QVERIFY(!state->data_sets.count(1));
    QVERIFY(!state->window_of(1));
    QVERIFY(state->data_sets.at(0).bursts && state->data_sets.at(2).bursts);
    // Ids keep counting up after a close.
    burst_main_window* d = open_ok(write("d_acc.txt", acc_header + "\n" + acc_lines(4)));
    QVERIFY(d);
    QCOMPARE(state->windows().back().first, 3);
    // A second report for the same window changes nothing.
    log.lines().clear();
    window->burst_window_closed(c);
    window->burst_window_closed(c);
    QVERIFY(log.contains(" no gang_id found for burst_main_window  burst_main_window(0x"));
    QCOMPARE(state->windows().size(), size_t(2));
}

void test_open_acc_flow::burst_window_form_and_activity_plot()
{
    const QString path = write("form_acc.txt", acc_header + "\n" + acc_lines(2));
    burst_main_window* w = open_ok(path);
    QVERIFY(w);
    QCOMPARE(w->objectName(), QString("burst_main_window"));
    QVERIFY(w->testAttribute(Qt::WA_MouseTracking));
    auto* file_menu = w->findChild<QMenu*>("menuXxx");
    auto* tools_menu = w->findChild<QMenu*>("menuTools");
    QVERIFY(file_menu && tools_menu);
    QCOMPARE(file_menu->title(), QString("File"));
    QCOMPARE(tools_menu->title(), QString("Tools"));
    QCOMPARE(file_menu->actions(), (QList<QAction*>{w->findChild<QAction*>("actionExport_Bursts"),
                                                    w->findChild<QAction*>("actionClose")}));
    QCOMPARE(tools_menu->actions(), (QList<QAction*>{w->findChild<QAction*>("actionActivity_Plot"),
                                                     w->findChild<QAction*>("actionCalibration"),
                                                     w->findChild<QAction*>("actionStatic_Part"),
                                                     w->findChild<QAction*>("actionClassify_Behaviour")}));
    QCOMPARE(w->findChild<QAction*>("actionCalibration")->text(), QString("Calibration..."));
    auto* open_file = w->findChild<QAction*>("actionOpen_File");
    QVERIFY(open_file);
    QCOMPARE(open_file->text(), QString("Open File"));
    QVERIFY(open_file->associatedWidgets().isEmpty());
    // The panel sits in the central widget between its axis and above its legend.
    QCOMPARE(w->panel()->parentWidget(), w->centralWidget());
    QCOMPARE(w->axis()->parentWidget(), w->centralWidget());
    QCOMPARE(w->legend()->parentWidget(), w->centralWidget());
    QVERIFY(w->findChild<QStatusBar*>("statusBar"));

    streams_capture streams;
    w->findChild<QAction*>("actionActivity_Plot")->trigger();
    w->findChild<QAction*>("actionActivity_Plot")->trigger();
    QCOMPARE(streams.stdout_text(), QString("activity plot!\nactivity plot!\n"));
    const auto dialogs = w->findChildren<activity_plot_dialog*>();
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs[0]->windowTitle(), path + " - Activity Plot - Dornvale");
    QVERIFY(dialogs[0]->isVisible());
    QVERIFY(!dialogs[0]->isModal());

    // Its data export proposes the acceleration file's folder and name, and confirms the save.
    QString caption, folder;
    modal_script script;
    script.then(choose_file(QStringLiteral("form_acc-activity.csv"), {}, &caption, &folder));
    QPushButton* export_data = nullptr;
    for (auto* b : dialogs[0]->findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Export Data…"))
            export_data = b;
    QVERIFY(export_data);
    export_data->click();
    QVERIFY(script.done());
    QCOMPARE(caption, QStringLiteral("Save Activity Data"));
    QCOMPARE(folder, QFileInfo(path).absolutePath());
    const QString saved = QFileInfo(path).absolutePath() + QStringLiteral("/form_acc-activity.csv");
    QFile csv(saved);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readLine(), QByteArray("bin_start_utc,day,bin_of_day,samples,activity\n"));
    QCOMPARE(dialogs[0]->findChild<QStatusBar*>(QStringLiteral("statusBar"))->currentMessage(),
             QStringLiteral("Activity data saved to ") + QDir::toNativeSeparators(saved));
}

QTEST_MAIN(test_open_acc_flow)
#include "test_open_acc_flow.moc"

void test_open_acc_flow::skipped_line_counted_in_its_row()
{
    QVERIFY(open_ok(write("short_acc.txt", acc_header + "\n1,2\n" + acc_lines(2))));
    QCOMPARE(tree_rows(window->open_files_tree()),
             (QStringList{"short_acc.txt", "  2 acc bursts, 1 line skipped"}));
}

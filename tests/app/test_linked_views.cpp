// The views of one animal linked in the real windows: a click on a fix brings the right burst
// window forward on the right burst, a burst under the cursor marks its fix on the map, a click on
// an activity bin centres the burst window on that time, one colour and legend entry per track, and
// the Window menu.
#include "app/app_state.h"
#include "app/burst_main_window.h"
#include "app/dornvalemainwindow.h"
#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/formats/loader_gps_mbd.h"
#include "map/event_space_layer.h"
#include "map/layer_ref.h"
#include "map/map_form.h"
#include "map/map_widget.h"
#include "support/flow_test_support.h"
#include "support/gui_test_support.h"
#include "support/pair_flow_test.h"
#include "support/test_support.h"
#include "views/activity/activity_plot_dialog.h"
#include "views/activity/activity_plot_view.h"
#include "views/burst/burst_detail_pane.h"
#include "views/burst/burst_paint_panel.h"
#include "data/metrics/static_window_setting.h"
#include "views/metrics/metrics_control.h"
#include "views/metrics/vedba_strip.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace flow_test_support;
using namespace gui_test_support;
using namespace test_support;

namespace {

qint64 at_2014_05_02(int hour, int minute)
{
    return QDateTime(QDate(2014, 5, 2), QTime(hour, minute), Qt::UTC).toMSecsSinceEpoch();
}

void hover(QWidget* w, QPoint at)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

int count_colour(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour ? 1 : 0;
    return n;
}

} // namespace

class test_linked_views : public pair_flow_test
{
    Q_OBJECT

private slots:
    void init();

    void click_on_a_fix_centres_the_right_burst_window_on_its_burst();
    void click_away_from_the_fixes_selects_nothing();
    void hovered_burst_marks_its_fix_or_the_nearest_in_time();
    void activity_bin_click_centres_the_burst_window_on_that_time();
    void two_pairs_get_two_colours_and_legend_entries();
    void window_menu_reopens_the_map_and_lists_burst_windows();
    void static_part_set_gives_map_strip_details_and_table_one_vedba();

private:
    map_form& form() { return *window->get_map_form(); }
    event_space_layer* track(qint32 gang)
    {
        return static_cast<event_space_layer*>(state->data_sets.at(gang).track->get());
    }
    const gps_event* fix(qint32 gang, int i)
    {
        return state->data_sets.at(gang).fixes->events()[std::size_t(i)];
    }
    // The widget pixel a fix is projected to at the map's level.
    QPoint pixel_of(const gps_event* e)
    {
        const map_scale s = map().view().scale();
        const map_pixel p = map().view().map_to_widget(qint64(longitude_to_map_x(e->longitude, s)),
                                                       qint64(latitude_to_map_y(e->latitude, s)),
                                                       map().width(), map().height());
        return QPoint(int(p.x), int(p.y));
    }
    // Sample position at the burst view's centre.
    static double centre_of(const burst_paint_panel& panel)
    {
        return panel.view.left() + panel.view.span() / 2;
    }
    static double middle_of(const burst_paint_panel& panel, qint32 i)
    {
        const burst_entry& e = panel.space.entry(i);
        return e.first_sample + e.burst->sample_count / 2.0;
    }
};

void test_linked_views::init()
{
    QVERIFY(start_pair_flow());
    form().resize(800, 600);
}

void test_linked_views::click_on_a_fix_centres_the_right_burst_window_on_its_burst()
{
    write("a_acc.txt", acc_file(6));
    write("b_acc.txt", acc_file(6));
    // Fixes at 10:05 (burst 0), 10:25 (burst 2) and 10:59 (burst 5); b lies 0.05 degrees east of a.
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({5, 25, 59}, 8.50, 47.25)));
    burst_main_window* b = open_pair(write("b_gps.txt", gps_file({5, 25, 59}, 8.55, 47.25)));
    QVERIFY(a && b);
    map().fit_to_tracks();
    const QSignalSpy selected_a(a->panel(), &burst_paint_panel::burst_selected);
    const QSignalSpy selected_b(b->panel(), &burst_paint_panel::burst_selected);

    QTest::mouseClick(&map(), Qt::LeftButton, Qt::NoModifier, pixel_of(fix(1, 1)));
    QCOMPARE(track(1)->selected(), fix(1, 1));
    QCOMPARE(track(0)->selected(), static_cast<const gps_event*>(nullptr));
    QCOMPARE(b->panel()->selected_burst(), 2);
    QCOMPARE(centre_of(*b->panel()), middle_of(*b->panel(), 2));
    QCOMPARE(a->panel()->selected_burst(), -1);
    QCOMPARE(selected_a.count(), 0);
    QCOMPARE(selected_b.count(), 1);
    QCOMPARE(form().status_bar()->currentMessage(),
             QString("2014-05-02 10:25:00 UTC  lat 47.251000  lon 8.552000"));
    // The selected fix is marked: a black ring around it.
    const QImage image = map().grab().toImage();
    const QPoint p = pixel_of(fix(1, 1));
    QVERIFY(count_colour(image, QRect(p - QPoint(9, 9), QSize(19, 19)), qRgb(0, 0, 0)) > 20);

    // A click within 8 pixels of a's last fix picks it; a's window goes to burst 5.
    QTest::mouseClick(&map(), Qt::LeftButton, Qt::NoModifier, pixel_of(fix(0, 2)) + QPoint(5, -5));
    QCOMPARE(track(0)->selected(), fix(0, 2));
    QCOMPARE(track(1)->selected(), static_cast<const gps_event*>(nullptr));
    QCOMPARE(a->panel()->selected_burst(), 5);
    QCOMPARE(centre_of(*a->panel()), middle_of(*a->panel(), 5));
    QCOMPARE(b->panel()->selected_burst(), 2);
}

void test_linked_views::click_away_from_the_fixes_selects_nothing()
{
    write("a_acc.txt", acc_file(6));
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({5, 25, 59}, 8.50, 47.25)));
    QVERIFY(a);
    map().fit_to_tracks();
    const QPoint p = pixel_of(fix(0, 0));
    // Nine pixels straight away is beyond the reach of a click.
    QTest::mouseClick(&map(), Qt::LeftButton, Qt::NoModifier, p + QPoint(0, 10));
    QCOMPARE(track(0)->selected(), static_cast<const gps_event*>(nullptr));
    QCOMPARE(a->panel()->selected_burst(), -1);
    // No fix is told (the tile notice, whenever the test server's tiles fail, may be).
    QVERIFY(form().status_bar()->currentMessage() != map_form::fix_text(*fix(0, 0)));
    QTest::mouseClick(&map(), Qt::LeftButton, Qt::NoModifier, p + QPoint(0, 7));
    QCOMPARE(track(0)->selected(), fix(0, 0));
    QCOMPARE(a->panel()->selected_burst(), 0);
}

void test_linked_views::hovered_burst_marks_its_fix_or_the_nearest_in_time()
{
    write("a_acc.txt", acc_file(6));
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({5, 25, 59}, 8.50, 47.25)));
    QVERIFY(a);
    a->resize(600, 300);
    map().fit_to_tracks();
    const auto origin = std::make_pair(map().view().originX, map().view().originY);
    burst_paint_panel* panel = a->panel();
    const auto column_of = [panel](qint32 burst) {
        for (int x = 0; x < panel->width(); ++x)
            if (panel->burst_at_pixel(x) == burst)
                return x;
        return -1;
    };
    const int over_2 = column_of(2), over_1 = column_of(1);
    QVERIFY(over_2 >= 0 && over_1 >= 0);

    hover(panel, QPoint(over_2, 5));
    QCOMPARE(track(0)->marked(), fix(0, 1));
    QVERIFY(track(0)->marked_exact());
    QCOMPARE(a->fix_read_out()->text(),
             QString("GPS fix 2014-05-02 10:25:00 UTC  lat 47.251000  lon 8.502000"));
    const QImage image = map().grab().toImage();
    QCOMPARE(image.pixel(pixel_of(fix(0, 1))), qRgb(255, 0, 255));
    // The map does not move.
    QCOMPARE(std::make_pair(map().view().originX, map().view().originY), origin);

    // Burst 1 (10:10) has no fix: the nearest in time, 10:05, is marked as such.
    hover(panel, QPoint(over_1, 5));
    QCOMPARE(track(0)->marked(), fix(0, 0));
    QVERIFY(!track(0)->marked_exact());
    QCOMPARE(a->fix_read_out()->text(), QString());

    // Burst Details names the selected burst's fix, or the nearest, and the time from the burst's start.
    panel->set_selected_burst(1);
    QCOMPARE(
        a->detail_pane()->fix_label()->text(),
        QString("Nearest GPS fix: 2014-05-02 10:05:00 UTC, lat 47.250000, lon 8.500000, 5.0 min before the "
                "burst's start"));
    // Selecting burst 2 keeps its fix marked once the cursor leaves the bursts.
    panel->set_selected_burst(2);
    QCOMPARE(
        a->detail_pane()->fix_label()->text(),
        QString("GPS fix: 2014-05-02 10:25:00 UTC, lat 47.251000, lon 8.502000, 5.0 min after the burst's "
                "start"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(panel, &leave);
    QCOMPARE(track(0)->marked(), fix(0, 1));
    panel->set_selected_burst(-1);
    QCOMPARE(track(0)->marked(), static_cast<const gps_event*>(nullptr));
}

void test_linked_views::activity_bin_click_centres_the_burst_window_on_that_time()
{
    write("a_acc.txt", acc_file(6));
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({5, 25, 59}, 8.50, 47.25)));
    QVERIFY(a);
    a->findChild<QAction*>("actionActivity_Plot")->trigger();
    auto* dialog = a->findChild<activity_plot_dialog*>();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    activity_plot_view* view = dialog->view();
    QCOMPARE(dialog->findChild<QScrollArea*>()->widget(), view);
    QSignalSpy clicked(dialog, &activity_plot_dialog::time_clicked);
    // Bin 104 of the first day (10:24 to 10:30) lies in burst 2 (10:20).
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, view->bin_rect(0, 104).center());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.at(0).at(0).toLongLong(), at_2014_05_02(10, 24));
    QCOMPARE(a->panel()->selected_burst(), 2);
    QCOMPARE(centre_of(*a->panel()), middle_of(*a->panel(), 2));
    // The header is not a bin.
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier,
                      QPoint(view->bin_rect(0, 104).center().x(), activity_plot_view::top_margin - 1));
    QCOMPARE(clicked.count(), 1);
    dialog->close();
}

void test_linked_views::two_pairs_get_two_colours_and_legend_entries()
{
    write("a_acc.txt", acc_file(3));
    write("b_acc.txt", acc_file(3));
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({1, 2, 3}, 8.50, 47.25)));
    QCOMPARE(form().windowTitle(), QString("Map - Dornvale"));
    burst_main_window* b = open_pair(write("b_gps.txt", gps_file({1, 2, 3}, 8.55, 47.25)));
    QVERIFY(a && b);
    QCOMPARE(form().windowTitle(), QString("Map - Dornvale"));
    const QColor first = track(0)->colour(), second = track(1)->colour();
    QVERIFY(first != second);
    QCOMPARE(first, event_space_layer::palette()[0]);
    QCOMPARE(second, event_space_layer::palette()[1]);
    QCOMPARE(track(0)->name(), QString("a_gps.txt: 3 fixes"));
    QCOMPARE(track(1)->name(), QString("b_gps.txt: 3 fixes"));
    map().fit_to_tracks();
    // The legend's swatches in the top-right corner, one per track, under the count of data sets.
    const QRect legend(map().width() - 260, 0, 260, 80);
    QImage image = map().grab().toImage();
    QVERIFY(count_colour(image, legend, first.rgb()) >= 18);
    QVERIFY(count_colour(image, legend, second.rgb()) >= 18);

    modal_script script;
    script.then(answer_message(QMessageBox::Close));
    QVERIFY(a->close());
    QCOMPARE(form().windowTitle(), QString("Map - Dornvale"));
    image = map().grab().toImage();
    QCOMPARE(count_colour(image, legend, first.rgb()), 0);
    QVERIFY(count_colour(image, legend, second.rgb()) >= 18);
    // A pair opened now takes the colour that became free.
    write("c_acc.txt", acc_file(3));
    QVERIFY(open_pair(write("c_gps.txt", gps_file({1, 2, 3}, 8.60, 47.25))));
    QCOMPARE(track(2)->colour(), first);
}

void test_linked_views::window_menu_reopens_the_map_and_lists_burst_windows()
{
    write("a_acc.txt", acc_file(3));
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({1, 2, 3}, 8.50, 47.25)));
    QVERIFY(a);
    QMenu* menu = window->window_menu();
    QVERIFY(menu);
    // The menu bar reads File, Map, Window, Help.
    QStringList titles;
    for (QAction* top : window->menuBar()->actions())
        titles << top->text();
    QCOMPARE(titles, QStringList({"File", "Map", "Window", "Help"}));
    form().close();
    QVERIFY(!form().isVisible());
    // Ctrl+M brings the closed map back.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
    QVERIFY(form().isVisible());

    emit menu->aboutToShow();
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QString("Map"));
    QCOMPARE(actions[0]->shortcut(), QKeySequence("Ctrl+M"));
    QVERIFY(actions[1]->isSeparator());
    QCOMPARE(actions[2]->text(), a->windowTitle());
    a->hide();
    actions[2]->trigger();
    QVERIFY(a->isVisible());
}

void test_linked_views::static_part_set_gives_map_strip_details_and_table_one_vedba()
{
    // Two alike bursts of 6 samples at 10 Hz, at 10:00 and 10:20, the nearest to fixes at 10:05 and 10:25.
    const QByteArray xyz = ",10,XYZ,0 0 0 0 0 0 9 0 0 0 0 0 50 0 0 0 0 0\n";
    write("a_acc.txt", acc_header + "\n1,2,2014-05-02 10:00:00" + xyz + "1,2,2014-05-02 10:20:00" + xyz);
    map().set_colouring(track_colouring::vedba);
    burst_main_window* a = open_pair(write("a_gps.txt", gps_file({5, 25}, 8.50, 47.25)));
    QVERIFY(a);
    QTRY_VERIFY(!track(0)->burst_values().empty());
    a->metrics()->vedba_strip_action()->setChecked(true);
    a->panel()->set_selected_burst(1);
    const burst& b = *a->panel()->space.entry(1).burst; // 0.5 s: a running mean over 5 samples
    const double vedba = burst_metrics::of(b, a->metrics()->applied().value, static_window{0.5}).vedba;
    static_window_setting::instance().set(static_window{0.5});
    QTRY_VERIFY(track(0)->burst_values() == std::vector<double>(2, vedba));
    QTRY_VERIFY(a->metrics()->strip().values() == std::vector<float>(2, float(vedba)));
    QVERIFY(a->detail_pane()->metrics_label()->text().contains(QString("VeDBA %1 g").arg(vedba, 0, 'f', 4)));
    modal_script dialogs;
    dialogs.then(choose_file(folder().path("bursts.csv")));
    a->findChild<QAction*>("actionExport_Bursts")->trigger();
    QFile table(folder().path("bursts.csv"));
    QVERIFY(table.open(QIODevice::ReadOnly));
    QCOMPARE(table.readAll().split('\n')[3].split(',')[25], QByteArray::number(vedba, 'g', 9));
}

QTEST_MAIN(test_linked_views)
#include "test_linked_views.moc"

// Reading bursts in the burst window: navigation keys and the View menu, Go to Time, the detail
// dock (statistics, activity, CSV copy and save, stepping), calibration per tag, the legend and the
// colour choice, with the settings kept in a private directory across windows.
#include "app/burst_main_window.h"
#include "data/model/burst_space.h"
#include "data/model/events_by_bursts_empty.h"
#include "support/acc_layouts.h"
#include "support/gui_test_support.h"
#include "support/shown_message.h"
#include "support/test_support.h"
#include "views/activity/activity_plot.h"
#include "views/burst/burst_axis.h"
#include "views/burst/burst_detail_pane.h"
#include "views/burst/burst_legend.h"
#include "views/burst/burst_paint_panel.h"
#include "views/burst/burst_samples_csv.h"
#include "views/burst/calibration_dialog.h"
#include "views/metrics/metrics_control.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>

using namespace gui_test_support;

namespace {

// 2021-03-01 00:00:00 UTC
const qint64 t0 = QDateTime(QDate(2021, 3, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();

// Ten bursts of 100 samples at 10 Hz, one a minute from t0 (each spans 9.9 s). The values differ
// per burst and sample so statistics and CSV lines are not trivially alike.
std::unique_ptr<burst_space> make_space()
{
    std::vector<std::unique_ptr<burst>> list;
    for (int b = 0; b < 10; ++b) {
        std::vector<float> x, y, z;
        for (int k = 0; k < 100; ++k) {
            x.push_back(2048.f + static_cast<float>((k * 37 + b * 11) % 201) - 100.f);
            y.push_back(1500.f + static_cast<float>((k * k + b) % 53) * 0.5f);
            z.push_back(3000.f - static_cast<float>(k % 9) * 3.25f);
        }
        list.push_back(burst::make(t0 + b * 60000LL, 10.0, 100, x, y, z));
    }
    std::ostringstream quiet;
    std::streambuf* old = std::cerr.rdbuf(quiet.rdbuf());
    auto space = std::make_unique<burst_space>(list);
    std::cerr.rdbuf(old);
    return space;
}

// Notes the text the Go to Time dialog offers, then types text and accepts, or cancels for none.
modal_script::step type_time(const QString& text, QString* offered = nullptr)
{
    return [=](QWidget* m) {
        auto* dialog = qobject_cast<QInputDialog*>(m);
        if (!dialog)
            return false;
        if (offered)
            *offered = dialog->textValue();
        dialog->setTextValue(text);
        QMetaObject::invokeMethod(dialog, text.isEmpty() ? "reject" : "accept", Qt::QueuedConnection);
        return true;
    };
}

QString utc(qint64 t)
{
    return QDateTime::fromMSecsSinceEpoch(t, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss.zzz");
}

} // namespace

class test_burst_window_reading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keys_pan_and_zoom_by_the_stated_amounts();
    void go_to_time_lands_on_the_right_burst();
    void go_to_time_refuses_what_is_not_a_time();
    void detail_pane_statistics_and_activity();
    void detail_pane_csv_copy_round_trips_and_save_writes_it();
    void calibration_applies_everywhere_and_survives_a_restart();
    void calibration_assumed_by_tag_number_leaves_the_view_raw();
    void each_animal_of_a_download_assumes_its_own_tag();
    void legend_toggles_axes_in_step_with_the_panel();
    void colour_choice_is_remembered();

private:
    burst_main_window* open_window(const QString& file_name);

    QTemporaryDir dir_;
    std::unique_ptr<burst_space> space_;
    events_by_bursts_empty events_;
    std::unique_ptr<burst_main_window> window_;
};

void test_burst_window_reading::initTestCase()
{
    QVERIFY(dir_.isValid());
    QCoreApplication::setOrganizationName("dornvale-test");
    QCoreApplication::setApplicationName("burst-window-reading");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("settings"));
    space_ = make_space();
}

void test_burst_window_reading::init()
{
    QSettings().clear();
}

void test_burst_window_reading::cleanup()
{
    window_.reset();
}

burst_main_window* test_burst_window_reading::open_window(const QString& file_name)
{
    window_ = std::make_unique<burst_main_window>(space_.get(), &events_, dir_.filePath(file_name));
    window_->resize(900, 600);
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
        return nullptr;
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get()))
        return nullptr;
    window_->panel()->setFocus();
    return window_.get();
}

void test_burst_window_reading::keys_pan_and_zoom_by_the_stated_amounts()
{
    burst_main_window* w = open_window("keys_acc.txt");
    QVERIFY(w);
    burst_paint_panel* p = w->panel();
    const double span = p->view.span();
    QCOMPARE(span, 1000.0); // the whole file after the first resize
    QCOMPARE(p->view.offset(), 0.0);

    struct step
    {
        int key;
        double offset;
        double span;
    };
    // Each step from the state the previous one left.
    const step steps[] = {
        {Qt::Key_Plus, 250, 500},                                  // zoom in about the centre (500)
        {Qt::Key_Right, 375, 500},                                 // a quarter of the view
        {Qt::Key_Left, 250, 500},    {Qt::Key_PageDown, 750, 500}, // a whole view
        {Qt::Key_PageUp, 250, 500},  {Qt::Key_Equal, 375, 250},    // "+" without Shift on most keyboards
        {Qt::Key_Minus, 250, 500},   {Qt::Key_Minus, 0, 1000},
        {Qt::Key_Minus, -500, 2000}, {Qt::Key_Home, 0, 1000},
    };
    for (const step& s : steps) {
        QTest::keyClick(p, static_cast<Qt::Key>(s.key));
        QCOMPARE(p->view.offset(), s.offset);
        QCOMPARE(p->view.span(), s.span);
    }
    // The View menu names every key.
    const QStringList texts = {"Pan Left", "Pan Right", "Page Left",       "Page Right",
                               "Zoom In",  "Zoom Out",  "Show Whole File", "Go to Time..."};
    const QStringList keys = {"Left", "Right", "PgUp", "PgDown", "+", "-", "Home", "Ctrl+G"};
    for (int i = 0; i < texts.size(); ++i) {
        QAction* a = w->view_action(texts[i]);
        QVERIFY2(a, qPrintable(texts[i]));
        QCOMPARE(a->shortcut().toString(), keys[i]);
    }
    // Zooming in far stops at the smallest span, Home still shows everything.
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(p, Qt::Key_Plus);
    QVERIFY(p->view.span() > 100 && p->view.span() < 200);
    QTest::keyClick(p, Qt::Key_Home);
    QCOMPARE(p->view.span(), 1000.0);
    QCOMPARE(p->view.offset(), 0.0);
}

void test_burst_window_reading::go_to_time_lands_on_the_right_burst()
{
    burst_main_window* w = open_window("goto_acc.txt");
    QVERIFY(w);
    burst_paint_panel* p = w->panel();
    QTest::keyClick(p, Qt::Key_Plus); // span 500
    struct target
    {
        const char* typed;
        qint32 burst;
    };
    const target targets[] = {
        {"2021-02-28 23:00:00", 0}, // before the first
        {"2021-03-01 00:03:20", 3}, // inside burst 3 (00:03:00 ... 00:03:09.9)
        {"2021-03-01 00:04:30", 4}, // gap, 20.1 s after burst 4, 29.9 s before burst 5
        {"2021-03-01 00:05:40", 6}, // gap, nearer the next burst
        {"2021-03-02", 9},          // after the last
    };
    for (const target& t : targets) {
        QString shown_text;
        modal_script script;
        script.then(type_time(t.typed, &shown_text));
        // Shortcuts reach only the active window; a closed dialog may leave none active.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(p, Qt::Key_G, Qt::ControlModifier);
        QTRY_VERIFY2(script.done(), t.typed);
        QVERIFY(!shown_text.isEmpty());
        QCOMPARE(p->selected_burst(), t.burst);
        // Centred without a zoom change: the burst's middle at the centre of the view.
        QCOMPARE(p->view.span(), 500.0);
        QCOMPARE(p->view.offset(), t.burst * 100 + 50 - 250.0);
    }
    // The dialog offers the start of the burst at the centre.
    QString offered;
    modal_script script;
    script.then(type_time(QString(), &offered));
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(p, Qt::Key_G, Qt::ControlModifier);
    QTRY_VERIFY(script.done());
    QCOMPARE(offered, QString("2021-03-01 00:09:00"));
    QCOMPARE(p->selected_burst(), 9);
}

void test_burst_window_reading::go_to_time_refuses_what_is_not_a_time()
{
    burst_main_window* w = open_window("goto_bad_acc.txt");
    QVERIFY(w);
    QString title, text;
    modal_script script;
    script.then(type_time("next tuesday")).then(answer_message(QMessageBox::Ok, &title, &text));
    w->view_action("Go to Time...")->trigger();
    QTRY_VERIFY(script.done());
    QCOMPARE(title, QString("Go to Time"));
    QCOMPARE(text, QString("\"next tuesday\" is not a UTC date and time like 2014-05-02 13:45:00."));
    QCOMPARE(w->panel()->selected_burst(), -1);
    QCOMPARE(w->panel()->view.offset(), 0.0);
}

void test_burst_window_reading::detail_pane_statistics_and_activity()
{
    burst_main_window* w = open_window("detail_acc.txt");
    QVERIFY(w);
    burst_paint_panel* p = w->panel();
    QVERIFY(!w->detail_dock()->isVisible());
    // Burst 4 lies at positions 400 ... 499 over 900 - axis pixels: double-click its middle.
    const int x = static_cast<int>(450 / p->positions_per_pixel());
    QTest::mouseDClick(p, Qt::LeftButton, Qt::NoModifier, QPoint(x, 100));
    QTRY_VERIFY(w->detail_dock()->isVisible());
    burst_detail_pane* pane = w->detail_pane();
    QCOMPARE(pane->shown_burst(), 4);
    QCOMPARE(p->selected_burst(), 4);
    QCOMPARE(pane->summary_label()->text(),
             QString("burst-0004, 5 of 10: start 2021-03-01 00:04:00.000 UTC, 10 Hz, 100 samples"));

    for (int b : {4, 5}) {
        const burst& data = *space_->entry(b).burst;
        const sample_axis* axes[3] = {&data.x, &data.y, &data.z};
        for (int a = 0; a < 3; ++a) {
            // Independent figures: sums of values and of squares.
            long double sum = 0, squares = 0;
            float lo = (*axes[a])[0], hi = lo;
            for (float v : *axes[a]) {
                sum += v;
                squares += static_cast<long double>(v) * v;
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            const long double mean = sum / 100;
            // The sample sd, as R's sd: divided by n - 1.
            const double sd = std::sqrt(static_cast<double>((squares - 100 * mean * mean) / 99));
            QCOMPARE(pane->statistics_table()->item(a, 0)->text(),
                     QString::number(static_cast<double>(mean), 'f', 2));
            QCOMPARE(pane->statistics_table()->item(a, 1)->text(), QString::number(lo, 'f', 2));
            QCOMPARE(pane->statistics_table()->item(a, 2)->text(), QString::number(hi, 'f', 2));
            QCOMPARE(pane->statistics_table()->item(a, 3)->text(), QString::number(sd, 'f', 2));
        }
        // The activity plot over a space of this burst alone: its one non-empty bin.
        std::vector<std::unique_ptr<burst>> alone;
        alone.push_back(burst::make(data.start_timestamp, data.sampling_frequency_per_axis,
                                                data.sample_count, data.x.to_vector(), data.y.to_vector(),
                                                data.z.to_vector()));
        std::ostringstream quiet;
        std::streambuf* old = std::cerr.rdbuf(quiet.rdbuf());
        const burst_space single(alone);
        const activity_calculator calc(single);
        std::cerr.rdbuf(old);
        QCOMPARE(
            pane->activity_label()->text(),
            QString("Activity (as in the activity plot, raw units): %1").arg(calc.max_activity, 0, 'f', 3));
        QVERIFY(calc.max_activity > 0);
        QTest::mouseClick(pane->next_button(), Qt::LeftButton);
        QCOMPARE(p->selected_burst(), b + 1);
    }
    // Stepping moved the selection to burst 6, centred.
    QCOMPARE(pane->shown_burst(), 6);
    QCOMPARE(p->view.offset(), 650 - p->view.span() / 2);
    for (int i = 0; i < 8; ++i)
        QTest::mouseClick(pane->previous_button(), Qt::LeftButton);
    QCOMPARE(pane->shown_burst(), 0);
    QVERIFY(!pane->previous_button()->isEnabled());
    QVERIFY(pane->next_button()->isEnabled());
    // Enter on the selection opens the dock again after it was closed.
    w->detail_dock()->close();
    p->set_selected_burst(9);
    QTest::keyClick(p, Qt::Key_Return);
    QTRY_VERIFY(w->detail_dock()->isVisible());
    QCOMPARE(pane->shown_burst(), 9);
    QVERIFY(!pane->next_button()->isEnabled());
}

void test_burst_window_reading::detail_pane_csv_copy_round_trips_and_save_writes_it()
{
    burst_main_window* w = open_window("csv_acc.txt");
    QVERIFY(w);
    w->panel()->set_selected_burst(2);
    QTest::keyClick(w->panel(), Qt::Key_Enter);
    QTRY_VERIFY(w->detail_dock()->isVisible());
    burst_detail_pane* pane = w->detail_pane();
    QApplication::clipboard()->clear();
    QVERIFY(pane->copy_button()->isEnabled());
    QTest::mouseClick(pane->copy_button(), Qt::LeftButton);
    const QString copied = QApplication::clipboard()->text();
    const QStringList lines = copied.split('\n');
    QCOMPARE(lines.size(), 102); // header, 100 samples, the empty piece after the last line end
    QCOMPARE(lines[0], QString("burst,sample,time_utc,time_ms,x,y,z"));
    QCOMPARE(lines[101], QString());
    const burst& data = *space_->entry(2).burst;
    for (int k = 0; k < 100; ++k) {
        const QStringList f = lines[k + 1].split(',');
        QCOMPARE(f.size(), 7);
        QCOMPARE(f[0], QString("2"));
        QCOMPARE(f[1].toInt(), k);
        // Burst 2 starts at 00:02:00, a sample every 100 ms.
        QCOMPARE(f[2], QString("2021-03-01T00:02:%1.%2Z")
                           .arg(k / 10, 2, 10, QLatin1Char('0'))
                           .arg(k % 10 * 100, 3, 10, QLatin1Char('0')));
        QCOMPARE(f[3], QString::number(k * 100.0, 'f', 3));
        QCOMPARE(f[4].toFloat(), data.x[static_cast<std::size_t>(k)]);
        QCOMPARE(f[5].toFloat(), data.y[static_cast<std::size_t>(k)]);
        QCOMPARE(f[6].toFloat(), data.z[static_cast<std::size_t>(k)]);
    }
    // Y values with halves are written as read.
    QCOMPARE(lines[4].split(',')[5], QString::number(static_cast<double>(data.y[3]), 'g', 9));

    const QString path = dir_.filePath("burst2.csv");
    QString caption;
    modal_script script;
    script.then(choose_file(path, {}, &caption));
    QTest::mouseClick(pane->save_button(), Qt::LeftButton);
    QTRY_VERIFY(script.done());
    QCOMPARE(caption, QString("Save Burst Samples"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), copied);

    // A file that cannot be written is named in a message (no files can be made in /proc, not even by root).
    const shown_message failed =
        shown_message::after([pane] { QTest::mouseClick(pane->save_button(), Qt::LeftButton); },
                             {choose_file("/proc/burst2.csv")});
    QCOMPARE(failed.title, QString("Save Burst Samples"));
    QVERIFY2(failed.text.startsWith("Could not write the file /proc/burst2.csv: "), qPrintable(failed.text));
}

void test_burst_window_reading::calibration_applies_everywhere_and_survives_a_restart()
{
    // The file names the tag; its serial is the key, not the file name.
    const QString file = "cal_acc.txt";
    QVERIFY(test_support::write_file(dir_.filePath(file),
                                     test_support::acc_fixed_header +
                                         "\nabc,\"4711\",2021-03-01 00:00:00.000,10,XYZ,1 2 3\n"));
    burst_main_window* w = open_window(file);
    QVERIFY(w);
    QCOMPARE(w->calibration_tag(), QString("4711"));
    QCOMPARE(w->legend()->units_text(), QString("Values in raw units (no calibration set)"));
    QVERIFY(!w->panel()->calibration());
    const int h = w->panel()->height();
    QCOMPARE(w->axis()->height(), h);

    QString tag_label;
    modal_script script;
    script.then([&](QWidget* m) {
        auto* dialog = qobject_cast<calibration_dialog*>(m);
        if (!dialog)
            return false;
        tag_label = dialog->findChildren<QLabel*>().value(0)->text();
        dialog->group()->setChecked(true);
        const double zero[3] = {2048, 1500, 3000};
        const double per_g[3] = {100, 25, -20};
        for (int a = 0; a < 3; ++a) {
            dialog->zero_box(a)->setValue(zero[a]);
            dialog->scale_box(a)->setValue(per_g[a]);
        }
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    w->findChild<QAction*>("actionCalibration")->trigger();
    QTRY_VERIFY(script.done());
    QCOMPARE(tag_label, QString("Tag: 4711"));
    QVERIFY(w->panel()->calibration());
    QCOMPARE(w->legend()->units_text(), QString("Values in g (calibrated)"));

    // The axis: X ticks at whole g from (0 - 2048) / 100 = -20.48 to 20.48, on the panel's rows.
    const std::vector<burst_axis::tick> ticks = burst_axis::ticks(h, w->panel()->calibration(), 0);
    QVERIFY(!ticks.empty());
    for (const burst_axis::tick& t : ticks) {
        const double g = t.label.toDouble();
        QCOMPARE(t.y, static_cast<int>(std::trunc(h - h * (2048 + 100 * g) / 4096)));
    }
    QCOMPARE(ticks.front().label.toDouble() > -20.48 - 1e-9, true);

    // The read-out: burst 0, sample 0 holds X 1948, Y 1500, Z 3000.
    burst_paint_panel* p = w->panel();
    QTest::mouseMove(p, QPoint(0, 50));
    QMouseEvent move(QEvent::MouseMove, QPointF(0, 50), p->mapToGlobal(QPoint(0, 50)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(p, &move);
    QCOMPARE(w->statusBar()->currentMessage(),
             QString("burst-0000:sample-00 [%1 UTC] X -1.000 g Y 0.000 g Z 0.000 g").arg(utc(t0)));

    // The detail pane shows g too: X mean in g = (raw mean - 2048) / 100.
    p->set_selected_burst(0);
    const burst& b0 = *space_->entry(0).burst;
    double sum = 0;
    for (float v : b0.x)
        sum += v;
    QCOMPARE(w->detail_pane()->statistics_table()->item(0, 0)->text(),
             QString::number((sum / 100 - 2048) / 100, 'f', 4));
    // A negative scale swaps minimum and maximum.
    const float z_lo = *std::min_element(b0.z.begin(), b0.z.end());
    QCOMPARE(w->detail_pane()->statistics_table()->item(2, 2)->text(),
             QString::number((z_lo - 3000.0) / -20, 'f', 4));
    // The data and a raw export are untouched.
    QCOMPARE(burst_samples_csv(b0, 0).split('\n')[1],
             QString("0,0,2021-03-01T00:00:00.000Z,0.000,1948,1500,3000"));

    // A new window on the same tag finds the calibration; another tag has none.
    window_.reset();
    w = open_window(file);
    QVERIFY(w);
    QVERIFY(w->panel()->calibration());
    QCOMPARE(w->panel()->calibration()->axes[2].per_g, -20.0);
    QCOMPARE(w->panel()->calibration()->axes[1].zero, 1500.0);
    QCOMPARE(w->legend()->units_text(), QString("Values in g (calibrated)"));
    window_.reset();
    w = open_window("other_acc.txt"); // no such file: the file name is the tag
    QVERIFY(w);
    QCOMPARE(w->calibration_tag(), QString("other_acc.txt"));
    QVERIFY(!w->panel()->calibration());

    // Unchecking removes it for the tag.
    window_.reset();
    w = open_window(file);
    QVERIFY(w);
    bool offered_checked = false;
    modal_script off;
    off.then([&](QWidget* m) {
        auto* dialog = qobject_cast<calibration_dialog*>(m);
        if (!dialog)
            return false;
        offered_checked = dialog->group()->isChecked();
        dialog->group()->setChecked(false);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    });
    w->findChild<QAction*>("actionCalibration")->trigger();
    QTRY_VERIFY(off.done());
    QVERIFY(offered_checked);
    QVERIFY(!w->panel()->calibration());
    QVERIFY(!burst_calibration::load(*std::make_unique<QSettings>(), "4711"));
}

void test_burst_window_reading::calibration_assumed_by_tag_number_leaves_the_view_raw()
{
    QVERIFY(test_support::write_file(dir_.filePath("tag_acc.txt"),
                                     test_support::acc_fixed_header +
                                         "\nabc,2242,2021-03-01 00:00:00.000,10,XYZ,1 2 3\n"));
    burst_main_window* w = open_window("tag_acc.txt");
    QVERIFY(w);
    // The details are in g (tag 2242: 0.0022 g per unit, Y inverted), the burst view stays raw.
    QVERIFY(!w->panel()->calibration());
    QCOMPARE(w->legend()->units_text(), QString("Values in raw units (no calibration set)"));
    w->panel()->set_selected_burst(0);
    double sum = 0;
    for (float v : space_->entry(0).burst->y)
        sum += v;
    QCOMPARE(w->detail_pane()->statistics_table()->item(1, 0)->text(),
             QString::number((2048 - sum / 100) * 0.0022, 'f', 4));
    QVERIFY(w->detail_pane()->metrics_label()->text().startsWith("ODBA "));

    // Calibrated Display draws the assumed calibration; one stored wins and the choice goes away.
    QAction* display = w->metrics()->calibrated_display_action();
    QCOMPARE(display->text(), QString("Calibrated Display (calibration assumed from tag number 2242)"));
    display->setChecked(true);
    QVERIFY(w->panel()->calibration());
    QCOMPARE(w->panel()->calibration()->axes[1].per_g, -1 / 0.0022);
    w->metrics()->set_stored(burst_calibration{{{2000, 100}, {2000, 100}, {2000, 100}}});
    QVERIFY(!display->isEnabled());
    QCOMPARE(w->panel()->calibration()->axes[1].per_g, 100.0);

    // The strip is computed off the GUI thread, then drawn.
    QSignalSpy ready(w->metrics(), &metrics_control::strip_ready);
    w->metrics()->vedba_strip_action()->setChecked(true);
    QVERIFY(ready.wait(10000));
}

void test_burst_window_reading::each_animal_of_a_download_assumes_its_own_tag()
{
    space_->tag = QStringLiteral("2241"); // as the download's reader keeps it
    burst_main_window w(space_.get(), &events_, dir_.filePath("herd.csv"), nullptr, QString(), "A");
    QCOMPARE(w.metrics()->calibrated_display_action()->text(),
             QString("Calibrated Display (calibration assumed from tag number 2241)"));
    space_->tag.clear();
}

void test_burst_window_reading::legend_toggles_axes_in_step_with_the_panel()
{
    burst_main_window* w = open_window("legend_acc.txt");
    QVERIFY(w);
    burst_legend* legend = w->legend();
    QVERIFY(legend->axis_button(0)->isChecked());
    QCOMPARE(legend->axis_button(0)->text(), QString("X"));
    QTest::mouseClick(legend->axis_button(0), Qt::LeftButton);
    QVERIFY(!w->panel()->show_x);
    QVERIFY(w->panel()->show_y && w->panel()->show_z);
    const QImage image = w->panel()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 0, 0))
                QFAIL("a hidden X axis is still drawn");
    // Changes made elsewhere (the context menu uses the same flags) show in the legend.
    w->panel()->set_axis_shown(2, false);
    QVERIFY(!legend->axis_button(2)->isChecked());
    w->panel()->set_axis_shown(0, true);
    QVERIFY(legend->axis_button(0)->isChecked());
    QVERIFY(legend->findChildren<QLabel*>().size() >= 2);
    bool gps_named = false;
    for (QLabel* l : legend->findChildren<QLabel*>())
        gps_named = gps_named || l->text() == "burst has a GPS fix";
    QVERIFY(gps_named);
}

void test_burst_window_reading::colour_choice_is_remembered()
{
    burst_main_window* w = open_window("colours_acc.txt");
    QVERIFY(w);
    QAction* colours = w->view_action("Colour-Blind-Safe Colours");
    QVERIFY(colours && colours->isCheckable() && !colours->isChecked());
    QCOMPARE(w->panel()->palette().x, QColor("#ff0000"));
    colours->trigger();
    QCOMPARE(w->panel()->palette().x, QColor("#d55e00"));
    QCOMPARE(w->panel()->palette().z, QColor("#0072b2"));
    window_.reset();
    w = open_window("colours_acc.txt");
    QVERIFY(w->view_action("Colour-Blind-Safe Colours")->isChecked());
    QCOMPARE(w->panel()->palette().y, QColor("#009e73"));
    w->view_action("Colour-Blind-Safe Colours")->trigger();
    QCOMPARE(w->panel()->palette().y, QColor("#00ff00"));
    window_.reset();
    w = open_window("colours_acc.txt");
    QVERIFY(!w->view_action("Colour-Blind-Safe Colours")->isChecked());
}

QTEST_MAIN(test_burst_window_reading)
#include "test_burst_window_reading.moc"

// Labelling end to end: open a file that has labels beside it, label a range by key, split it,
// undo and redo, and the labels file on disk after each step.
#include "app/burst_main_window.h"
#include "data/labels/label_segments.h"
#include "support/flow_test_support.h"
#include "support/main_window_fixture.h"
#include "views/burst/burst_detail_pane.h"
#include "views/burst/burst_paint_panel.h"
#include "views/labels/label_document.h"
#include "views/labels/label_rows_model.h"
#include "views/labels/label_set_editor.h"
#include "views/labels/label_set_store.h"
#include "views/labels/labelling.h"
#include "views/labels/labels_list.h"

#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTableWidget>
#include <QDockWidget>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>

using namespace flow_test_support;

class test_labelling_flow : public QObject, private main_window_fixture
{
    Q_OBJECT

private slots:
    void init()
    {
        test_support::clear_settings();
        open_main_window();
    }
    void cleanup() { QVERIFY(close_main_window()); }
    void label_a_range_by_key_undo_redo_and_the_file();
    void rename_a_label_then_close_with_labels_in_no_file();
};

void test_labelling_flow::label_a_range_by_key_undo_redo_and_the_file()
{
    const QByteArray header = "animal,start_utc,end_utc,label,note\n";
    const QString labels = write("tag_acc.labels.csv", header + ",2014-05-02T10:00:00Z,2014-05-02T10:10:00Z,dancing,\n");
    const QString data = write("tag_acc.txt", acc_file(8)); // bursts 10:00, 10:10, ... 11:10
    QVERIFY(open_through_dialog(window->findChild<QPushButton*>("push_button_open_eobs_acc_file"), data));
    burst_main_window* w = burst_windows().first();
    burst_paint_panel* panel = w->panel();
    labelling* l = w->labels();
    QCOMPARE(l->label_of(0), QString("dancing"));
    QVERIFY(label_set_store::instance().set().find("dancing")); // an unknown label joins the set, and is told
    QMessageBox* told = nullptr;
    QTRY_VERIFY((told = w->findChild<QMessageBox*>()) && told->isVisible());
    QCOMPARE(told->text(), QString("New labels were added to the label set: dancing."));
    told->accept();
    QApplication::setActiveWindow(w);
    QVERIFY(QTest::qWaitForWindowActive(w));

    auto middle_of = [panel](qint32 burst) {
        int first = -1, last = -1;
        for (int x = 0; x < panel->width(); ++x)
            if (panel->burst_at_pixel(x) == burst)
                (first < 0 ? first : last) = x, last = x;
        return QPoint((first + last) / 2, panel->height() / 2);
    };
    auto on_disk = [&] {
        QFile f(labels);
        return f.open(QIODevice::ReadOnly) ? f.readAll().mid(header.size()) : QByteArray("(missing)");
    };
    const QByteArray dancing = ",2014-05-02T10:00:00.000Z,2014-05-02T10:10:00.000Z,dancing,\n";

    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, middle_of(2));
    QTest::mouseClick(panel, Qt::LeftButton, Qt::ShiftModifier, middle_of(4));
    QCOMPARE(std::make_pair(panel->selection_first(), panel->selection_last()), std::make_pair(2, 4));
    QTest::keyClick(panel, Qt::Key_2);
    const QByteArray walking = dancing + ",2014-05-02T10:20:00.000Z,2014-05-02T10:50:00.000Z,walking,\n";
    QTRY_COMPARE(on_disk(), walking);

    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, middle_of(3));
    QTest::keyClick(panel, Qt::Key_4);
    const QByteArray split = dancing + ",2014-05-02T10:20:00.000Z,2014-05-02T10:30:00.000Z,walking,\n"
                                       ",2014-05-02T10:30:00.000Z,2014-05-02T10:40:00.000Z,soaring,\n"
                                       ",2014-05-02T10:40:00.000Z,2014-05-02T10:50:00.000Z,walking,\n";
    QTRY_COMPARE(on_disk(), split);
    QCOMPARE(w->detail_pane()->note_label()->text(), QString("Label: soaring"));
    QCOMPARE(l->list()->model()->rowCount(), 4);

    QTest::keyClick(panel, Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(on_disk(), walking);
    QCOMPARE(w->detail_pane()->note_label()->text(), QString("Label: walking"));
    QTest::keyClick(panel, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_COMPARE(on_disk(), split);

    // Shift+drag selects 5 ... 7 instead of panning; 0 takes their labels away (none to take).
    const double offset = panel->view.offset();
    QTest::mousePress(panel, Qt::LeftButton, Qt::ShiftModifier, middle_of(5));
    QMouseEvent move(QEvent::MouseMove, middle_of(7), Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(panel, &move);
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::ShiftModifier, middle_of(7));
    QCOMPARE(std::make_pair(panel->selection_first(), panel->selection_last()), std::make_pair(5, 7));
    QCOMPARE(panel->view.offset(), offset);
    QTest::keyClick(panel, Qt::Key_0);
    QTRY_COMPARE(on_disk(), split);
    QVERIFY(!l->undo_stack()->canRedo());

    // Another program instance labels the file too: apart from ours its rows are merged, over ours we
    // are asked, and Keep Mine keeps ours there and theirs elsewhere.
    label_document other(labels);
    other.set_range("", 1399025400000, 1399026000000, "resting"); // 10:10 - 10:20
    other.store(this);
    other.flush();
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, middle_of(5));
    QTest::keyClick(panel, Qt::Key_2);
    QTRY_VERIFY(on_disk().contains("10:40:00.000Z,2014-05-02T11:00:00.000Z,walking"));
    QVERIFY(on_disk().contains("10:10:00.000Z,2014-05-02T10:20:00.000Z,resting"));
    QVERIFY(!l->undo_stack()->canUndo());
    other.set_range("", 1399028400000, 1399029000000, "resting"); // 11:00 - 11:10
    other.store(this);
    other.flush(); // finds ours on disk and merges
    other.flush();
    const QByteArray before = on_disk();
    QString asked;
    QByteArray while_asked;
    gui_test_support::modal_script script;
    script.then([&](QWidget* box) {
        while_asked = on_disk();
        return gui_test_support::press_button("Keep Mine", &asked)(box);
    });
    QTest::mouseClick(panel, Qt::LeftButton, Qt::NoModifier, middle_of(6));
    QTest::keyClick(panel, Qt::Key_4);
    QTRY_VERIFY(on_disk().contains("11:00:00.000Z,2014-05-02T11:10:00.000Z,soaring"));
    QVERIFY2(asked.contains("1 of your changes share time with its changes"), qPrintable(asked));
    QCOMPARE(while_asked, before);
    QVERIFY(on_disk().contains("10:10:00.000Z,2014-05-02T10:20:00.000Z,resting"));
}

void test_labelling_flow::rename_a_label_then_close_with_labels_in_no_file()
{
    QPushButton* open = window->findChild<QPushButton*>("push_button_open_eobs_acc_file");
    for (const QString name : {"a_acc", "b_acc"}) {
        write(name + ".labels.csv", "animal,start_utc,end_utc,label,note\n,2014-05-02T10:00:00Z,"
                                    "2014-05-02T10:10:00Z,resting,\n");
        QVERIFY(open_through_dialog(open, write(name + ".txt", acc_file(4))));
    }
    QStringList asked{"", "", ""};
    gui_test_support::modal_script script;
    script.then(gui_test_support::on_any([](QWidget* w) {
        static_cast<label_set_editor*>(w)->table()->item(0, 0)->setText("slept");
        QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
    }));
    script.then(gui_test_support::answer_message(QMessageBox::Yes, nullptr, &asked[0]));
    burst_main_window* a = burst_windows().first();
    a->findChild<QMenu*>("menuLabels")->actions().rbegin()[1]->trigger(); // Label Set..., before Labels
    QTRY_VERIFY(script.done());
    QCOMPARE(burst_windows().last()->labels()->label_of(0), QString("slept"));
    label_document& labels = a->labels()->document();
    labels.flush();
    QCOMPARE(labels_file::read(labels.path()).labels, QStringList("slept"));
    labels.keep_in_memory();
    labels.set_range("", 0, 1000, "walking");
    script.then(gui_test_support::answer_message(QMessageBox::Cancel, &asked[1], &asked[2]));
    a->close();
    QCOMPARE(asked, (QStringList{"Rename 2 segments labelled resting to slept?", "Close Acceleration Data",
                                 "The labels of " + labels.path() + " are not saved in any file."}));
}

QTEST_MAIN(test_labelling_flow)
#include "test_labelling_flow.moc"

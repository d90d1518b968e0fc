// Press/move/release dispatch of mouse drags.
#include "views/drag_handler.h"
#include "views/drag_tracker.h"

#include <QMouseEvent>
#include <QTest>

#include <iostream>
#include <sstream>

namespace {

struct recording_handler : drag_handler
{
    recording_handler(int b, QStringList* log, const char* name) : b(b), log(log), name(name) {}
    int button() const override { return b; }
    void start_drag(const drag_tracker& t) override
    {
        *log << QString("%1 start %2,%3").arg(name).arg(t.current.x()).arg(t.current.y());
    }
    void drag(const drag_tracker& t) override
    {
        *log << QString("%1 drag %2 from %3").arg(name).arg(t.current.x()).arg(t.press_position.x());
    }
    void end_drag(const drag_tracker& t) override
    {
        *log << QString("%1 end %2").arg(name).arg(t.current.x());
    }
    int b;
    QStringList* log;
    const char* name;
};

QMouseEvent mouse(QEvent::Type type, int x, Qt::MouseButton button)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    return QMouseEvent(type, QPointF(x, 5), button, held, Qt::NoModifier);
}

// Captures standard error for the lifetime of the object.
struct cerr_capture
{
    std::ostringstream out;
    std::streambuf* saved;
    cerr_capture() : saved(std::cerr.rdbuf(out.rdbuf())) {}
    ~cerr_capture() { std::cerr.rdbuf(saved); }
    QString text() const { return QString::fromStdString(out.str()); }
};

} // namespace

class test_drag_tracker : public QObject
{
    Q_OBJECT

private slots:
    void first_move_starts_then_drags_then_ends();
    void click_without_move();
    void first_matching_handler_wins();
    void right_button_finds_no_handler_but_still_ends();
    void second_press_and_stray_events_ignored();
    void shared_left_end_writes_left_end();
};

void test_drag_tracker::first_move_starts_then_drags_then_ends()
{
    QStringList log;
    drag_tracker tracker;
    tracker.add_handler(new recording_handler(Qt::LeftButton, &log, "L"));
    cerr_capture err;
    tracker.press(mouse(QEvent::MouseButtonPress, 10, Qt::LeftButton));
    QVERIFY(tracker.pressed);
    QVERIFY(!tracker.dragging);
    QCOMPARE(tracker.button, int(Qt::LeftButton));
    tracker.move(mouse(QEvent::MouseMove, 11, Qt::LeftButton));
    QVERIFY(tracker.dragging);
    tracker.move(mouse(QEvent::MouseMove, 30, Qt::LeftButton));
    tracker.release(mouse(QEvent::MouseButtonRelease, 40, Qt::LeftButton));
    QVERIFY(!tracker.pressed);
    QVERIFY(!tracker.dragging);
    QVERIFY(!tracker.active);
    QCOMPARE(log, (QStringList{"L start 11,5", "L drag 30 from 10", "L end 40"}));
    QCOMPARE(err.text(), QString("handle_drag_start\nhandle_drag_end\n"));
}

void test_drag_tracker::click_without_move()
{
    QStringList log;
    drag_tracker tracker;
    tracker.add_handler(new recording_handler(Qt::LeftButton, &log, "L"));
    cerr_capture err;
    tracker.press(mouse(QEvent::MouseButtonPress, 10, Qt::LeftButton));
    tracker.release(mouse(QEvent::MouseButtonRelease, 10, Qt::LeftButton));
    QVERIFY(log.isEmpty());
    QCOMPARE(err.text(), QString("handle_click\n"));
}

void test_drag_tracker::first_matching_handler_wins()
{
    QStringList log;
    drag_tracker tracker;
    tracker.add_handler(new recording_handler(Qt::RightButton, &log, "R"));
    tracker.add_handler(new recording_handler(Qt::LeftButton, &log, "L1"));
    tracker.add_handler(new recording_handler(Qt::LeftButton, &log, "L2"));
    cerr_capture err;
    tracker.press(mouse(QEvent::MouseButtonPress, 0, Qt::LeftButton));
    tracker.move(mouse(QEvent::MouseMove, 5, Qt::LeftButton));
    tracker.release(mouse(QEvent::MouseButtonRelease, 6, Qt::LeftButton));
    QCOMPARE(log, (QStringList{"L1 start 5,5", "L1 end 6"}));
}

void test_drag_tracker::right_button_finds_no_handler_but_still_ends()
{
    QStringList log;
    drag_tracker tracker;
    tracker.add_handler(new recording_handler(Qt::LeftButton, &log, "L"));
    cerr_capture err;
    tracker.press(mouse(QEvent::MouseButtonPress, 0, Qt::RightButton));
    tracker.move(mouse(QEvent::MouseMove, 50, Qt::RightButton));
    tracker.move(mouse(QEvent::MouseMove, 60, Qt::RightButton));
    tracker.release(mouse(QEvent::MouseButtonRelease, 60, Qt::RightButton));
    QVERIFY(log.isEmpty());
    QCOMPARE(err.text(), QString("handle_drag_start\nhandle_drag_end\n"));
}

void test_drag_tracker::second_press_and_stray_events_ignored()
{
    QStringList log;
    drag_tracker tracker;
    tracker.add_handler(new recording_handler(Qt::LeftButton, &log, "L"));
    cerr_capture err;
    tracker.move(mouse(QEvent::MouseMove, 3, Qt::NoButton));
    tracker.release(mouse(QEvent::MouseButtonRelease, 3, Qt::LeftButton));
    QVERIFY(err.text().isEmpty());
    tracker.press(mouse(QEvent::MouseButtonPress, 10, Qt::LeftButton));
    tracker.press(mouse(QEvent::MouseButtonPress, 99, Qt::RightButton));
    QCOMPARE(tracker.press_position.x(), 10);
    QCOMPARE(tracker.button, int(Qt::LeftButton));
    // The released button is not checked against the pressed one.
    tracker.release(mouse(QEvent::MouseButtonRelease, 12, Qt::RightButton));
    QVERIFY(!tracker.pressed);
    QCOMPARE(tracker.current.x(), 12);
}

void test_drag_tracker::shared_left_end_writes_left_end()
{
    struct left : drag_handler_left
    {
        void start_drag(const drag_tracker&) override {}
        void drag(const drag_tracker&) override {}
    } handler;
    QCOMPARE(handler.button(), 1);
    drag_tracker tracker;
    cerr_capture err;
    handler.end_drag(tracker);
    QCOMPARE(err.text(), QString("left end\n"));
}

QTEST_GUILESS_MAIN(test_drag_tracker)
#include "test_drag_tracker.moc"

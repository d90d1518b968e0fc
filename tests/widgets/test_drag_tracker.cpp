// Press/move/release dispatch of mouse drags.
#include "widgets/drag_handler.h"
#include "widgets/drag_tracker.h"
#include "support/test_support.h"
#include "support/data_table.h"

#include <QMouseEvent>
#include <QTest>

#include <vector>

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

// A tracker with one left-button handler "L" that writes to log.
struct left_tracker : drag_tracker
{
    QStringList log;
    left_tracker() { add_handler(new recording_handler(Qt::LeftButton, &log, "L")); }
};

QMouseEvent mouse(QEvent::Type type, int x, Qt::MouseButton button)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    return QMouseEvent(type, QPointF(x, 5), button, held, Qt::NoModifier);
}

// Sends "press|move|release <x> L|R" to the tracker.
void send(drag_tracker& tracker, const QString& text)
{
    const QStringList part = text.split(' ');
    const Qt::MouseButton button = part[2] == "L" ? Qt::LeftButton : Qt::RightButton;
    const int x = part[1].toInt();
    if (part[0] == "press")
        tracker.press(mouse(QEvent::MouseButtonPress, x, button));
    else if (part[0] == "move")
        tracker.move(mouse(QEvent::MouseMove, x, button));
    else
        tracker.release(mouse(QEvent::MouseButtonRelease, x, button));
}

using test_support::streams_capture;

} // namespace

class test_drag_tracker : public QObject
{
    Q_OBJECT

private slots:
    void first_move_starts_then_drags_then_ends();
    void dispatch_data();
    void dispatch();
    void second_press_and_stray_events_ignored();
    void shared_left_end_writes_left_end();
};

void test_drag_tracker::first_move_starts_then_drags_then_ends()
{
    left_tracker tracker;
    streams_capture err;
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
    QCOMPARE(tracker.log, (QStringList{"L start 11,5", "L drag 30 from 10", "L end 40"}));
    QCOMPARE(err.stderr_text(), QString("handle_drag_start\nhandle_drag_end\n"));
}

void test_drag_tracker::dispatch_data()
{
    add_columns<QStringList, QStringList, QStringList, QString>(
        "handlers", // named after their button: "L1" is a left one
        "events", "log", "err");
    add_row("click without move", QStringList{"L"}, QStringList{"press 10 L", "release 10 L"}, QStringList(),
            "handle_click\n");
    add_row("first matching handler wins", QStringList{"R", "L1", "L2"},
            QStringList{"press 0 L", "move 5 L", "release 6 L"}, QStringList{"L1 start 5,5", "L1 end 6"},
            "handle_drag_start\nhandle_drag_end\n");
    add_row("right button finds no handler but still ends", QStringList{"L"},
            QStringList{"press 0 R", "move 50 R", "move 60 R", "release 60 R"}, QStringList(),
            "handle_drag_start\nhandle_drag_end\n");
}

void test_drag_tracker::dispatch()
{
    auto [handlers, events, log, err] =
        fetch<QStringList, QStringList, QStringList, QString>("handlers", "events", "log", "err");
    QStringList written;
    std::vector<QByteArray> names; // the handlers keep the pointers
    names.reserve(static_cast<std::size_t>(handlers.size()));
    drag_tracker tracker;
    for (const QString& name : handlers) {
        names.push_back(name.toLatin1());
        tracker.add_handler(new recording_handler(name.startsWith('L') ? Qt::LeftButton : Qt::RightButton,
                                                  &written, names.back().constData()));
    }
    streams_capture streams;
    for (const QString& event : events)
        send(tracker, event);
    QCOMPARE(written, log);
    QCOMPARE(streams.stderr_text(), err);
}

void test_drag_tracker::second_press_and_stray_events_ignored()
{
    left_tracker tracker;
    streams_capture err;
    tracker.move(mouse(QEvent::MouseMove, 3, Qt::NoButton));
    tracker.release(mouse(QEvent::MouseButtonRelease, 3, Qt::LeftButton));
    QVERIFY(err.stderr_text().isEmpty());
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
    streams_capture err;
    handler.end_drag(tracker);
    QCOMPARE(err.stderr_text(), QString("left end\n"));
}

QTEST_GUILESS_MAIN(test_drag_tracker)
#include "test_drag_tracker.moc"

#include "data/io/trace.h"
#include "support/log_capture.h"
#include "support/test_support.h"

#include <QLoggingCategory>
#include <QTest>

class test_trace : public QObject
{
    Q_OBJECT

private slots:
    void plain_lines_go_to_their_stream_whole();
    void debug_lines_carry_the_callers_context();
    void debug_lines_can_be_silenced_by_rule();
};

void test_trace::plain_lines_go_to_their_stream_whole()
{
    test_support::streams_capture streams;
    trace::out("header fields: ", 6);
    trace::err("resize: ", 0, " x ", 0, " => ", 640, " x ", 480);
    trace::line(trace::stream::out, QStringLiteral("filename: /tmp/ä.csv"));
    QCOMPARE(streams.stdout_text(), QString("header fields: 6\nfilename: /tmp/ä.csv\n"));
    QCOMPARE(streams.stderr_text(), QString("resize: 0 x 0 => 640 x 480\n"));
}

void test_trace::debug_lines_carry_the_callers_context()
{
    log_capture log;
    trace_debug() << "tiles_dir: " << 3;
    (trace_debug().nospace().noquote() << "x: ").quote() << QString("a\"b");
    const QList<logged_line> lines = log.lines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].message, QString("tiles_dir:  3"));
    QCOMPARE(lines[1].message, QString("x: \"a\\\"b\""));
    QVERIFY2(lines[0].file.endsWith("test_trace.cpp"), qPrintable(lines[0].file));
    QVERIFY2(lines[0].function.contains("debug_lines_carry_the_callers_context"), qPrintable(lines[0].function));
}

void test_trace::debug_lines_can_be_silenced_by_rule()
{
    log_capture log;
    QLoggingCategory::setFilterRules("dornvale.debug=false");
    trace_debug() << "hidden";
    QLoggingCategory::setFilterRules(QString());
    trace_debug() << "shown";
    QCOMPARE(log.matching("hidden").size(), 0);
    QCOMPARE(log.matching("shown").size(), 1);
}

QTEST_GUILESS_MAIN(test_trace)
#include "test_trace.moc"

// Starts the real program offscreen with a private home and checks its start-up.
#include "support/http_test_server.h"
#include "support/program_copy.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class test_startup_smoke : public QObject
{
    Q_OBJECT

private slots:
    void starts_creates_tiles_dir_and_logs_in_order();
};

void test_startup_smoke::starts_creates_tiles_dir_and_logs_in_order()
{
    // The update service is pointed at a local port nobody listens on: the run stays on this machine.
    program_copy program;
    QVERIFY(program.prepare("[build]\nupdate_service=http://127.0.0.1:" +
                            QByteArray::number(http_test_server::unused_port()) + "/\n"));
    const QTemporaryDir& home = program.home;
    program.start();
    QVERIFY2(program.process.waitForStarted(10000), qPrintable(program.process.errorString()));
    program.wait_for("app_state::tiles_dir_: ", 30000);
    // Let the window timers fire: the program must still be running afterwards.
    QTest::qWait(1500);
    QCOMPARE(program.process.state(), QProcess::Running);
    const QString log = program.log();

    const QStringList ordered = {"Dornvale  v0.1.3",
                                 "data_location: ", "tiles_dir: ", "app_state::tiles_dir_: "};
    int at = 0;
    for (const QString& line : ordered) {
        const int found = log.indexOf(line, at);
        QVERIFY2(found >= 0, qPrintable("missing or out of order: " + line + "\n" + log));
        at = found;
    }
    // Debug lines carry the source file and function of the call.
    QVERIFY2(log.contains(QRegularExpression("main\\.cpp:\\d+ main: Dornvale")), qPrintable(log));

    const QRegularExpression location_line("data_location:  \"([^\"]+)\"");
    const QRegularExpressionMatch match = location_line.match(log);
    QVERIFY(match.hasMatch());
    const QString data_location = match.captured(1);
    QVERIFY2(data_location.startsWith(home.path()), qPrintable(data_location));
    QVERIFY(QFileInfo(data_location + "/tiles").isDir());
    QVERIFY(!log.contains("Can not create "));
}

QTEST_GUILESS_MAIN(test_startup_smoke)
#include "test_startup_smoke.moc"

// Starts the real program offscreen with a private home and checks its start-up.
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
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.path() + "/share");
    env.insert("QT_QPA_PLATFORM", "offscreen");

    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(DORNVALE_BINARY_DIR "/dornvale"), QStringList());
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));

    QByteArray err;
    const QByteArray last_line = "app_state::tiles_dir_: ";
    for (int i = 0; i < 300 && !err.contains(last_line); ++i) {
        program.waitForReadyRead(100);
        err += program.readAllStandardError();
    }
    // Let the window timers fire: the program must still be running afterwards.
    QTest::qWait(1500);
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);
    err += program.readAllStandardError();
    const QString log = QString::fromLocal8Bit(err);

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

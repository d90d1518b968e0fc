// The update check at start-up: the real program, copied into a private directory with its own
// build.conf beside it, against an update service the test starts on 127.0.0.1.
#include "support/http_test_server.h"
#include "support/program_copy.h"

#include <QTest>

namespace {

// The program names the system it runs on: these tests run on Linux. sha256sum of "Linux" and the key.
const QByteArray expected_checksum = "5cf4681cc701f3412d8819f3edea7a0c98f7464ed27662debc8fa96b0a31bcf1";

// Each line must appear after the previous one.
QString missing_in_order(const QString& log, const QStringList& ordered)
{
    int at = 0;
    for (const QString& line : ordered) {
        const int found = log.indexOf(line, at);
        if (found < 0)
            return line;
        at = found + line.size();
    }
    return QString();
}

} // namespace

class test_startup_update : public QObject
{
    Q_OBJECT

private slots:
    void silent_service_with_flavour_does_not_delay_start_up();
    void missing_service_does_not_disturb_start_up();
    void newer_version_reaches_the_main_window();
};

void test_startup_update::silent_service_with_flavour_does_not_delay_start_up()
{
    http_test_server service([](QTcpSocket*, const QByteArray&) {}); // accepts, then says nothing
    QVERIFY(service.listening());
    program_copy program;
    QVERIFY(
        program.prepare("[build]\nflavor=beta\nupdate_service=" + service.base_url("/svc/").toUtf8() + "\n"));
    program.start();
    QVERIFY2(program.process.waitForStarted(10000), qPrintable(program.process.errorString()));

    QVERIFY2(program.wait_for("LifeCycleClient/CheckVersion: ", 30000), qPrintable(program.log()));
    QTRY_COMPARE_WITH_TIMEOUT(service.requests.size(), 1, 10000);
    // The main window is shown after 1 s and the splash closed after 2.5 s, the service still silent.
    QTest::qWait(3000);
    QCOMPARE(program.process.state(), QProcess::Running);

    const QString log = program.log();
    const QString conf = program.dir.path() + "/build.conf";
    const QString missing = missing_in_order(
        log, {"main: Dornvale  v0.1.3", "Loading  \"" + conf + "\"", "Build flavor:  \"beta\"",
              "data_location: ", "tiles_dir: ", "app_state::tiles_dir_: ",
              "LifeCycleClient/CheckVersion:  QUrl(\"" + service.base_url("/svc/") +
                  "versions/current/Linux?flavor=beta\")"});
    QVERIFY2(missing.isEmpty(), qPrintable("missing or out of order: " + missing + "\n" + log));
    QVERIFY2(!log.contains("HTTP request failed"), qPrintable(log));
    QVERIFY2(!log.contains("QObject::connect"), qPrintable(log));

    const QByteArray head = service.requests.first();
    QCOMPARE(http_test_server::request_line(head),
             QByteArray("GET /svc/versions/current/Linux?flavor=beta HTTP/1.1"));
    const auto headers = http_test_server::headers(head);
    QCOMPARE(headers.values("x-checksum"), QList<QByteArray>{expected_checksum});
    QCOMPARE(headers.values("user-agent").size(), 1);
    QVERIFY2(headers.value("user-agent").startsWith("Dornvale/v0.1.3 (Linux) "), headers.value("user-agent"));
    QCOMPARE(service.connections, 1);
}

void test_startup_update::missing_service_does_not_disturb_start_up()
{
    const quint16 port = http_test_server::unused_port();
    QVERIFY(port != 0);
    program_copy program;
    QVERIFY(program.prepare("[build]\nupdate_service=http://127.0.0.1:" + QByteArray::number(port) + "/\n"));
    program.start();
    QVERIFY(program.process.waitForStarted(10000));
    QVERIFY2(program.wait_for("LifeCycleClient/CheckVersion: ReplyHandler destroyed", 30000),
             qPrintable(program.log()));
    QTest::qWait(1500);
    QCOMPARE(program.process.state(), QProcess::Running);
    const QString log = program.log();
    const QString missing = missing_in_order(
        log, {"Build flavor:  \"\"", "app_state::tiles_dir_: ",
              "LifeCycleClient/CheckVersion:  QUrl(\"http://127.0.0.1:" + QString::number(port) +
                  "/versions/current/Linux\")",
              "LifeCycleClient/CheckVersion: HTTP request failed: \"Connection refused\""});
    QVERIFY2(missing.isEmpty(), qPrintable("missing or out of order: " + missing + "\n" + log));
    QVERIFY(!log.contains("LifeCycleClient/OnCheckVersionSuccess"));
}

void test_startup_update::newer_version_reaches_the_main_window()
{
    // A download address that is no web address: the main window's notice slot says so in the log,
    // which shows that main connected the client to it (a shown box leaves no trace in the log).
    http_test_server service([](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "200 OK",
                               "{\"current-version\":\"v0.2.0\",\"download-url\":\"file:///tmp/x.msi\","
                               "\"changelog-url\":\"https://www.example.org/changes\"}");
    });
    program_copy program;
    QVERIFY(program.prepare("[build]\nupdate_service=" + service.base_url().toUtf8() + "\n"));
    program.start();
    QVERIFY(program.process.waitForStarted(10000));
    QVERIFY2(program.wait_for("update notice not shown", 30000), qPrintable(program.log()));
    const QString log = program.log();
    const QString missing = missing_in_order(
        log,
        {"LifeCycleClient/CheckVersion: HTTP request was successful", "LifeCycleClient/OnCheckVersionSuccess",
         "LifeCycleClient/OnCheckVersionSuccess: software update available  \"v0.2.0\"",
         "update notice not shown: download address is not a web address: \"file:///tmp/x.msi\""});
    QVERIFY2(missing.isEmpty(), qPrintable("missing or out of order: " + missing + "\n" + log));
    QCOMPARE(service.requests.size(), 1); // once per start
    QTest::qWait(1000);
    QCOMPARE(program.process.state(), QProcess::Running);
    QCOMPARE(service.requests.size(), 1);
}

QTEST_GUILESS_MAIN(test_startup_update)
#include "test_startup_update.moc"

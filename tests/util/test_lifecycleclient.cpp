// LifeCycleClient: build flavour, request, answer evaluation, version precedence and the
// update notice end to end, against HTTP servers started on 127.0.0.1 by the test.
#include "app/dornvalemainwindow.h"
#include "support/http_test_server.h"
#include "support/main_window_fixture.h"
#include "util/lifecycleclient.h"
#include "support/network_test.h"
#include "support/temp_folder.h"
#include "support/gui_test_support.h"
#include "support/data_table.h"
#include "util/replyhandler.h"

#include <QApplication>
#include <QCoreApplication>
#include <QJsonParseError>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

Q_DECLARE_METATYPE(LifeCycleClient::Version)

using gui_test_support::when_modal;

namespace {

// sha256sum of each platform word followed by the shared key.
const QByteArray windows_checksum = "5e8d3acbd5818be6a18e97978f9163b21c8316d9f3e6f881b61ac7bb717fe476";
const QByteArray linux_checksum = "5cf4681cc701f3412d8819f3edea7a0c98f7464ed27662debc8fa96b0a31bcf1";
const QByteArray macos_checksum = "523f90e4454ed3b059ad909612115854e2ec6d849f34decdd307e2c6ba0a34dc";

QByteArray answer(const QString& version, const QString& download = "https://dl.example.org/dornvale.msi",
                  const QString& changelog = "https://www.example.org/changes")
{
    return QStringLiteral(
               "{\"current-version\":\"%1\",\"download-url\":\"%2\",\"changelog-url\":\"%3\",\"extra\":1}")
        .arg(version, download, changelog)
        .toUtf8();
}

const QString entry = "LifeCycleClient/OnCheckVersionSuccess";

} // namespace

class test_lifecycleclient : public network_test
{
    Q_OBJECT

private slots:
    void cleanup();

    void build_flavor_from_file_data();
    void build_flavor_from_file();
    void build_flavor_default_path_is_beside_the_executable();
    void platform_word_per_system();
    void checksum_is_sha256_of_platform_and_key_data();
    void checksum_is_sha256_of_platform_and_key();
    void user_agent_format();
    void version_url_data();
    void version_url();
    void request_line_and_headers_as_received_data();
    void request_line_and_headers_as_received();
    void handler_name_timeout_and_parent();

    void parse_version_data();
    void parse_version();
    void precedence_data();
    void precedence();
    void announced_version_against_own_data();
    void announced_version_against_own();

    void unparsable_body_writes_two_lines_only_data();
    void unparsable_body_writes_two_lines_only();
    void missing_member_stops_silently_data();
    void missing_member_stops_silently();
    void non_string_members();
    void array_body_over_http();
    void failed_request_stays_silent();
    void client_destroyed_while_request_in_flight();
    void notice_end_to_end_data();
    void notice_end_to_end();

};

void test_lifecycleclient::cleanup()
{
    gui_test_support::close_modal_widgets();
    manager.reset();
}

void test_lifecycleclient::build_flavor_from_file_data()
{
    add_columns<QByteArray, QString>("content", // empty: no file at all
                                     "flavor");
    add_row("no file", QByteArray(), "");
    add_row("other group", QByteArray("[general]\nflavor=beta\n"), "");
    add_row("no key", QByteArray("[build]\nupdate_service=http://127.0.0.1:1/\n"), "");
    add_row("beta", QByteArray("[build]\nflavor=beta\n"), "beta");
    add_row("beside other keys",
            QByteArray("[build]\ntile_server=http://127.0.0.1:2/\nflavor=nightly\nupdate_service=x\n"),
            "nightly");
    add_row("blanks kept", QByteArray("[build]\nflavor=\" beta \"\n"), " beta ");
}

void test_lifecycleclient::build_flavor_from_file()
{
    auto [content, flavor] = fetch<QByteArray, QString>("content", "flavor");
    temp_folder dir;
    const QString path = content.isEmpty() ? dir.path("build.conf") : dir.write("build.conf", content);
    debug_capture log;
    QCOMPARE(LifeCycleClient::loadBuildFlavor(path), flavor);
    QCOMPARE(debug_capture::lines(),
             QStringList({"Loading  \"" + path + "\"", "Build flavor:  \"" + flavor + "\""}));
}

void test_lifecycleclient::build_flavor_default_path_is_beside_the_executable()
{
    debug_capture log;
    LifeCycleClient::loadBuildFlavor();
    QCOMPARE(debug_capture::lines().value(0),
             QString("Loading  \"" + QCoreApplication::applicationDirPath() + "/build.conf\""));
    // The constructor reads it too.
    debug_capture log2;
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
    QCOMPARE(log2.starting_with("Loading ").size(), 1);
    QCOMPARE(log2.starting_with("Build flavor: ").size(), 1);
}

void test_lifecycleclient::platform_word_per_system()
{
    QCOMPARE(LifeCycleClient::platformFor("winnt"), QString("Windows"));
    QCOMPARE(LifeCycleClient::platformFor("darwin"), QString("macOS"));
    QCOMPARE(LifeCycleClient::platformFor("linux"), QString("Linux"));
    QCOMPARE(LifeCycleClient::platformFor("freebsd"), QString("Linux")); // other Unix
}

void test_lifecycleclient::checksum_is_sha256_of_platform_and_key_data()
{
    add_columns<QString, QByteArray>("platform", "checksum");
    add_row("Windows", "Windows", windows_checksum);
    add_row("Linux", "Linux", linux_checksum);
    add_row("macOS", "macOS", macos_checksum);
}

void test_lifecycleclient::checksum_is_sha256_of_platform_and_key()
{
    auto [platform, checksum] = fetch<QString, QByteArray>("platform", "checksum");
    QCOMPARE(LifeCycleClient::checksum(platform), checksum);
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
    client.setPlatform(platform);
    QCOMPARE(client.checksum(), checksum);
}

void test_lifecycleclient::user_agent_format()
{
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
#ifdef Q_OS_LINUX
    // The word of the system the test runs on.
    QCOMPARE(client.platform(), QString("Linux"));
    QCOMPARE(client.checksum(), linux_checksum);
#endif
    QCOMPARE(client.platform(), LifeCycleClient::systemPlatform());
    const QString agent = QString::fromUtf8(client.userAgent());
    QVERIFY2(QRegularExpression("^Dornvale/v0\\.1\\.3 \\(" + client.platform() + "\\) [^/ ]*/\\S*$")
                 .match(agent)
                 .hasMatch(),
             qPrintable(agent));
    client.setPlatform("macOS");
    QVERIFY(client.userAgent().startsWith("Dornvale/v0.1.3 (macOS) "));
}

void test_lifecycleclient::version_url_data()
{
    add_columns<QString, QString, QString, QString>("base", "flavor", "platform", "url");
    const QString updates = "https://updates.example.org/", api = "https://example.org/api";
    add_row("no flavour", updates, "", "Windows", updates + "versions/current/Windows");
    add_row("beta", updates, "beta", "Windows", updates + "versions/current/Windows?flavor=beta");
    add_row("base with path", api + "/v1/", "", "Windows", api + "/v1/versions/current/Windows");
    add_row("slash added", api, "rc", "Windows", api + "/versions/current/Windows?flavor=rc");
    add_row("Linux", updates, "", "Linux", updates + "versions/current/Linux");
    add_row("macOS", updates, "beta", "macOS", updates + "versions/current/macOS?flavor=beta");
}

void test_lifecycleclient::version_url()
{
    auto [base, flavor, platform, url] =
        fetch<QString, QString, QString, QString>("base", "flavor", "platform", "url");
    LifeCycleClient client(manager.get(), base);
    client.setBuildFlavor(flavor);
    client.setPlatform(platform);
    QCOMPARE(client.versionUrl().toString(), url);
}

void test_lifecycleclient::request_line_and_headers_as_received_data()
{
    add_columns<QString, QString, QString, QByteArray, QByteArray>("path", "flavor", "platform", "checksum",
                                                                   "request_line");
    add_row("no flavour", "/", "", "Windows", windows_checksum,
            QByteArray("GET /versions/current/Windows HTTP/1.1"));
    add_row("beta", "/", "beta", "Windows", windows_checksum,
            QByteArray("GET /versions/current/Windows?flavor=beta HTTP/1.1"));
    add_row("base with path", "/svc/", "beta", "Windows", windows_checksum,
            QByteArray("GET /svc/versions/current/Windows?flavor=beta HTTP/1.1"));
    add_row("Linux", "/", "", "Linux", linux_checksum, QByteArray("GET /versions/current/Linux HTTP/1.1"));
    add_row("macOS", "/", "", "macOS", macos_checksum, QByteArray("GET /versions/current/macOS HTTP/1.1"));
}

void test_lifecycleclient::request_line_and_headers_as_received()
{
    auto [path, flavor, platform, checksum, request_line] =
        fetch<QString, QString, QString, QByteArray, QByteArray>("path", "flavor", "platform", "checksum",
                                                                 "request_line");
    http_test_server server([](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "200 OK", answer("v0.1.3"));
    });
    LifeCycleClient client(manager.get(), server.base_url(path));
    client.setBuildFlavor(flavor);
    client.setPlatform(platform);
    debug_capture log;
    client.checkVersion();
    QCOMPARE(log.starting_with("LifeCycleClient/CheckVersion: ").value(0),
             "LifeCycleClient/CheckVersion:  QUrl(\"" + server.base_url(path) + "versions/current/" +
                 platform + (flavor.isEmpty() ? QString() : "?flavor=" + flavor) + "\")");
    QTRY_COMPARE(log.count(entry + ": software is up to date  \"v0.1.3\""), 1);

    QCOMPARE(server.requests.size(), 1);
    const QByteArray head = server.requests.first();
    QCOMPARE(http_test_server::request_line(head), request_line);
    const auto headers = http_test_server::headers(head);
    QCOMPARE(headers.values("x-checksum"), QList<QByteArray>{checksum});
    QCOMPARE(headers.values("user-agent"), QList<QByteArray>{client.userAgent()});
    QCOMPARE(headers.values("accept-encoding"), QList<QByteArray>{"identity"}); // Qt would inflate it unbounded
    QVERIFY(client.userAgent().startsWith("Dornvale/v0.1.3 (" + platform.toLatin1() + ") "));
    QCOMPARE(headers.values("host"), QList<QByteArray>{"127.0.0.1:" + QByteArray::number(server.port())});
}

void test_lifecycleclient::handler_name_timeout_and_parent()
{
    http_test_server server([](QTcpSocket*, const QByteArray&) {});
    LifeCycleClient client(manager.get(), server.base_url());
    QCOMPARE(client.requestTimeout(), 45000);
    client.checkVersion();
    const QList<ReplyHandler*> handlers =
        client.findChildren<ReplyHandler*>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(handlers.size(), 1);
    QCOMPARE(handlers.first()->requestName(), QString("LifeCycleClient/CheckVersion"));
    QCOMPARE(handlers.first()->timeoutMs(), 45000);
    QCOMPARE(handlers.first()->parent(), &client);
}

void test_lifecycleclient::parse_version_data()
{
    add_columns<QString, int, int, int, QStringList, QStringList>("text", "major", "minor", "patch", "pre",
                                                                  "build");
    add_row("own", "v0.1.3", 0, 1, 3, QStringList(), QStringList());
    add_row("no v", "12.34.56", 12, 34, 56, QStringList(), QStringList());
    add_row("pre and build", "v1.2.3-rc.1+build.7", 1, 2, 3, QStringList{"rc", "1"},
            QStringList{"build", "7"});
    add_row("build only", "v1.0.0+build.7", 1, 0, 0, QStringList(), QStringList{"build", "7"});
    add_row("hyphens in ids", "1.0.0-x-y.-1", 1, 0, 0, QStringList{"x-y", "-1"}, QStringList());
    add_row("empty pieces kept", "1.0.0-alpha..1+a.", 1, 0, 0, QStringList{"alpha", "", "1"},
            QStringList{"a", ""});
    add_row("leading zeros", "01.002.0003", 1, 2, 3, QStringList(), QStringList());
    add_row("capital V", "V1.2.3", 0, 0, 0, QStringList(), QStringList());
    add_row("two parts", "v0.2", 0, 0, 0, QStringList(), QStringList());
    add_row("trailing newline", "v1.2.3\n", 0, 0, 0, QStringList(), QStringList());
    add_row("leading blank", " 1.2.3", 0, 0, 0, QStringList(), QStringList());
    add_row("empty pre-release", "1.2.3-", 0, 0, 0, QStringList(), QStringList());
    add_row("underscore", "1.2.3-a_b", 0, 0, 0, QStringList(), QStringList());
    add_row("non-ascii digits", QString::fromUtf8("\u0661.2.3"), 0, 0, 0, QStringList(), QStringList());
    add_row("past int range", "99999999999.0.0", 0, 0, 0, QStringList(), QStringList());
    add_row("empty", "", 0, 0, 0, QStringList(), QStringList());
}

void test_lifecycleclient::parse_version()
{
    auto [text, major, minor, patch, pre, build] = fetch<QString, int, int, int, QStringList, QStringList>(
        "text", "major", "minor", "patch", "pre", "build");
    const LifeCycleClient::Version v = LifeCycleClient::parseVersion(text);
    QCOMPARE(v.major, major);
    QCOMPARE(v.minor, minor);
    QCOMPARE(v.patch, patch);
    QCOMPARE(v.preRelease, pre);
    QCOMPARE(v.build, build);
}

void test_lifecycleclient::precedence_data()
{
    add_columns<QString, QString, int>("a", "b",
                                       "order"); // -1: a below b, 0: equal precedence, 1: b below a

    // Announced versions against the program's version.
    add_row("v0.1.4 newer", "v0.1.3", "v0.1.4", -1);
    add_row("0.2.0 newer", "v0.1.3", "0.2.0", -1);
    add_row("v1.0.0+build.7 newer", "v0.1.3", "v1.0.0+build.7", -1);
    add_row("v0.1.3 same", "v0.1.3", "v0.1.3", 0);
    add_row("v0.1.3+build.9 same", "v0.1.3", "v0.1.3+build.9", 0);
    add_row("0.1.2 older", "v0.1.3", "0.1.2", 1);
    add_row("v0.1.3-rc.1 older", "v0.1.3", "v0.1.3-rc.1", 1);
    add_row("v0.0.9 older", "v0.1.3", "v0.0.9", 1);
    add_row("v0.1.10 newer (numbers)", "v0.1.3", "v0.1.10", -1);
    add_row("v0.10.0 newer (numbers)", "v0.1.3", "v0.10.0", -1);
    add_row("v10.0.0 newer (numbers)", "v9.9.9", "v10.0.0", -1);
    add_row("major decides", "v1.0.0", "v0.99.99", 1);
    add_row("minor decides", "v1.2.0", "v1.1.99", 1);

    // The pre-release chain of Semantic Versioning 2.0.0, neighbours and ends.
    const QStringList chain = {"1.0.0-alpha",  "1.0.0-alpha.1", "1.0.0-alpha.beta", "1.0.0-beta",
                               "1.0.0-beta.2", "1.0.0-beta.11", "1.0.0-rc.1",       "1.0.0"};
    for (int i = 0; i + 1 < chain.size(); ++i)
        add_row(qPrintable(chain[i] + " < " + chain[i + 1]), chain[i], chain[i + 1], -1);
    add_row("alpha < rc.1", "1.0.0-alpha", "1.0.0-rc.1", -1);

    add_row("numeric ids as numbers", "1.0.0-rc.9", "1.0.0-rc.10", -1);
    add_row("numeric below alphanumeric", "1.0.0-1", "1.0.0-alpha", -1);
    add_row("numeric below hyphen id", "1.0.0-9", "1.0.0--1", -1);
    add_row("long numeric ids", "1.0.0-rc.99999999999999999998", "1.0.0-rc.99999999999999999999", -1);
    add_row("leading zeros numeric", "1.0.0-rc.007", "1.0.0-rc.7", 0);
    add_row("case sensitive strings", "1.0.0-Beta", "1.0.0-alpha", -1);
    add_row("fewer ids below", "1.0.0-a.b", "1.0.0-a.b.c", -1);
    add_row("pre-release of a newer patch", "1.0.0", "1.0.1-alpha", -1);
    add_row("build ignored", "1.0.0-rc.1+a", "1.0.0-rc.1+b.2", 0);
    add_row("unparsable is 0.0.0", "garbage", "0.0.0", 0);
    add_row("unparsable below 0.0.1", "v1", "0.0.1", -1);
}

void test_lifecycleclient::precedence()
{
    auto [a, b, order] = fetch<QString, QString, int>("a", "b", "order");
    const auto va = LifeCycleClient::parseVersion(a);
    const auto vb = LifeCycleClient::parseVersion(b);
    QCOMPARE(LifeCycleClient::lessThan(va, vb), order < 0);
    QCOMPARE(LifeCycleClient::lessThan(vb, va), order > 0);
    QVERIFY(!LifeCycleClient::lessThan(va, va));
}

void test_lifecycleclient::announced_version_against_own_data()
{
    add_columns<QString, bool>("announced", "newer");
    add_row("v0.1.4", "v0.1.4", true);
    add_row("0.2.0", "0.2.0", true);
    add_row("v1.0.0+build.7", "v1.0.0+build.7", true);
    add_row("v0.1.10", "v0.1.10", true);
    add_row("v0.1.4-rc.1", "v0.1.4-rc.1", true);
    add_row("v0.1.3", "v0.1.3", false);
    add_row("v0.1.3+build.9", "v0.1.3+build.9", false);
    add_row("0.1.2", "0.1.2", false);
    add_row("v0.1.3-rc.1", "v0.1.3-rc.1", false);
    add_row("v0.0.9", "v0.0.9", false);
    add_row("not a version", "latest", false);
    add_row("v9.9", "v9.9", false);
    add_row("empty", "", false);
}

void test_lifecycleclient::announced_version_against_own()
{
    auto [announced, newer] = fetch<QString, bool>("announced", "newer");
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
    QSignalSpy spy(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)));
    debug_capture log;
    client.onCheckVersionSuccess(answer(announced));
    const QString quoted = "\"" + announced + "\"";
    if (newer) {
        QCOMPARE(debug_capture::lines(),
                 QStringList({entry, entry + ": software update available  " + quoted}));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().value(0).toString(), announced);
        QCOMPARE(spy.first().value(1).toUrl(), QUrl("https://dl.example.org/dornvale.msi"));
        QCOMPARE(spy.first().value(2).toUrl(), QUrl("https://www.example.org/changes"));
    } else {
        QCOMPARE(debug_capture::lines(), QStringList({entry, entry + ": software is up to date  " + quoted}));
        QCOMPARE(spy.count(), 0);
    }
}

void test_lifecycleclient::unparsable_body_writes_two_lines_only_data()
{
    add_columns<QByteArray, QString, int>("body", "shown", "code");
    const int no_error = QJsonParseError::NoError; // valid JSON, but not an object
    const int illegal = QJsonParseError::IllegalValue;
    add_row("array", QByteArray(" [\"v9.0.0\", 1]\n"), "[\\\"v9.0.0\\\", 1]", no_error);
    add_row("empty array", QByteArray("[]"), "[]", no_error);
    add_row("string", QByteArray("\"v9.0.0\""), "\\\"v9.0.0\\\"", illegal);
    add_row("text", QByteArray("\r\n  new version: v9.0.0 \t\n"), "new version: v9.0.0", illegal);
    add_row("html", QByteArray("<html><body>503</body></html>"), "<html><body>503</body></html>", illegal);
    add_row("truncated object", QByteArray("{\"current-version\":\"v9.0.0\","),
            "{\\\"current-version\\\":\\\"v9.0.0\\\",", int(QJsonParseError::UnterminatedObject));
    add_row("garbage after object", QByteArray("{} x"), "{} x", int(QJsonParseError::GarbageAtEnd));
    add_row("empty", QByteArray(), "", illegal);
    add_row("200 characters shown whole", QByteArray(200, 'a'), QString(200, 'a'), illegal);
    add_row("longer answer: its first 200 characters", (" " + QByteArray(200, 'b') + QByteArray(100000, 'c')),
            QString(200, 'b'), illegal);
    add_row("control characters escaped", QByteArray("oops\nLifeCycleClient/fake\x1b[2J"),
            "oops\\nLifeCycleClient/fake\\x1B[2J", illegal);
}

void test_lifecycleclient::unparsable_body_writes_two_lines_only()
{
    auto [body, shown, code] = fetch<QByteArray, QString, int>("body", "shown", "code");
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
    QSignalSpy spy(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)));
    debug_capture log;
    client.onCheckVersionSuccess(body);
    const QString prefix = entry + ": Can not parse JSON:  ";
    QCOMPARE(debug_capture::lines(),
             QStringList({entry, prefix + "\"" + shown + "\"", prefix + QString::number(code)}));
    QCOMPARE(spy.count(), 0);
}

void test_lifecycleclient::missing_member_stops_silently_data()
{
    QTest::addColumn<QByteArray>("body");
    add_row(
        "no current-version",
        QByteArray("{\"download-url\":\"https://a.example/x\",\"changelog-url\":\"https://a.example/c\"}"));
    add_row("no download-url",
            QByteArray("{\"current-version\":\"v9.0.0\",\"changelog-url\":\"https://a.example/c\"}"));
    add_row("no changelog-url",
            QByteArray("{\"current-version\":\"v9.0.0\",\"download-url\":\"https://a.example/x\"}"));
    add_row("names differ in case", QByteArray("{\"Current-Version\":\"v9.0.0\",\"download-url\":\"https://"
                                               "a.example/x\",\"changelog-url\":\"c\"}"));
    add_row("empty object", QByteArray("{}"));
}

void test_lifecycleclient::missing_member_stops_silently()
{
    QFETCH(QByteArray, body);
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
    QSignalSpy spy(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)));
    debug_capture log;
    client.onCheckVersionSuccess(body);
    QCOMPARE(debug_capture::lines(), QStringList{entry});
    QCOMPARE(spy.count(), 0);
}

void test_lifecycleclient::non_string_members()
{
    LifeCycleClient client(manager.get(), "http://127.0.0.1:1/");
    QSignalSpy spy(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)));
    {
        debug_capture log;
        client.onCheckVersionSuccess(
            "{\"current-version\":9,\"download-url\":\"x\",\"changelog-url\":\"y\"}");
        QCOMPARE(debug_capture::lines(), QStringList({entry, entry + ": software is up to date  \"\""}));
    }
    {
        debug_capture log;
        client.onCheckVersionSuccess(
            "{\"current-version\":\"v0.2.0\",\"download-url\":null,\"changelog-url\":[1]}");
        QCOMPARE(debug_capture::lines(),
                 QStringList({entry, entry + ": software update available  \"v0.2.0\""}));
    }
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().value(0).toString(), QString("v0.2.0"));
    QVERIFY(spy.first().value(1).toUrl().isEmpty());
    QVERIFY(spy.first().value(2).toUrl().isEmpty());
}

void test_lifecycleclient::array_body_over_http()
{
    http_test_server server([](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "200 OK", "[{\"current-version\":\"v9.0.0\"}]");
    });
    LifeCycleClient client(manager.get(), server.base_url());
    QSignalSpy spy(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)));
    debug_capture log;
    client.checkVersion();
    QTRY_COMPARE(log.count("LifeCycleClient/CheckVersion: ReplyHandler destroyed"), 1);
    const QString prefix = entry + ": Can not parse JSON:  ";
    QCOMPARE(log.starting_with(entry),
             QStringList({entry, prefix + "\"[{\\\"current-version\\\":\\\"v9.0.0\\\"}]\"", prefix + "0"}));
    QCOMPARE(spy.count(), 0);
}

void test_lifecycleclient::failed_request_stays_silent()
{
    http_test_server server([](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "500 Internal Server Error", answer("v9.0.0"));
    });
    LifeCycleClient client(manager.get(), server.base_url());
    QSignalSpy spy(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)));
    debug_capture log;
    client.checkVersion();
    QTRY_COMPARE(log.count("LifeCycleClient/CheckVersion: ReplyHandler destroyed"), 1);
    QCOMPARE(log.starting_with("LifeCycleClient/CheckVersion: HTTP request failed: ").size(), 1);
    QCOMPARE(log.starting_with(entry).size(), 0);
    QCOMPARE(spy.count(), 0);
    QVERIFY(client.findChildren<ReplyHandler*>().isEmpty());
}

void test_lifecycleclient::client_destroyed_while_request_in_flight()
{
    http_test_server server([](QTcpSocket*, const QByteArray&) {});
    debug_capture log;
    auto client = std::make_unique<LifeCycleClient>(manager.get(), server.base_url());
    client->checkVersion();
    QTRY_COMPARE(server.requests.size(), 1);
    client.reset();
    QCOMPARE(log.count("LifeCycleClient/CheckVersion: ReplyHandler destroyed"), 1);
    QTest::qWait(50);
    manager.reset(); // then the network manager, as at the end of main
    QTest::qWait(50);
    QCOMPARE(log.starting_with("LifeCycleClient/OnCheckVersionSuccess").size(), 0);
}

void test_lifecycleclient::notice_end_to_end_data()
{
    add_columns<QString, bool>("announced", "shown");
    add_row("newer", "v0.2.0", true);
    add_row("same with build", "v0.1.3+build.9", false);
}

void test_lifecycleclient::notice_end_to_end()
{
    auto [announced, shown] = fetch<QString, bool>("announced", "shown");
    const QString download = "https://dl.example.org/dornvale-0.2.0.msi?channel=beta&arch=x64";
    http_test_server server([&](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "200 OK", answer(announced, download));
    });
    main_window_fixture f;
    dornvalemainwindow& window = f.build_main_window(QString(), manager.get());
    LifeCycleClient client(manager.get(), server.base_url());
    // As main wires it.
    QVERIFY(QObject::connect(&client, SIGNAL(updateAvailable(QString, QUrl, QUrl)), &window,
                             SLOT(on_softwareUpdateAvailable(QString, QUrl, QUrl))));
    QString title, text;
    QWidget* parent = nullptr;
    int boxes = 0;
    when_modal([&](QWidget* m) {
        ++boxes;
        auto* box = qobject_cast<QMessageBox*>(m);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
    debug_capture log;
    client.checkVersion();
    QTRY_COMPARE_WITH_TIMEOUT(log.starting_with(entry + ": software ").size(), 1, 10000);
    QCOMPARE(server.requests.size(), 1);
    if (!shown) {
        QTest::qWait(200);
        QCOMPARE(boxes, 0);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(boxes, 1, 10000);
    QCOMPARE(title, QString("Update - Dornvale"));
    QCOMPARE(parent, &window);
    QCOMPARE(text,
             "<html><body>A new version of Dornvale has been released! Version <b>v0.2.0</b> is available at "
             "<a href=\"https://www.dornvale.example/\">www.dornvale.example</a>"
             ".<br/><br/>You can download this version using the link:<br/>"
             "<a href=\"https://dl.example.org/dornvale-0.2.0.msi?channel=beta&amp;arch=x64\">"
             "https://dl.example.org/dornvale-0.2.0.msi?channel=beta&amp;arch=x64</a></body></html>");
}

QTEST_MAIN(test_lifecycleclient)
#include "test_lifecycleclient.moc"

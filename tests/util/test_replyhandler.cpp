// ReplyHandler against HTTP servers started on 127.0.0.1 by the test.
#include "support/http_test_server.h"
#include "support/network_test.h"
#include "support/data_table.h"
#include "util/replyhandler.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Records the order of what happened around one handler.
struct handler_watch
{
    QStringList events;
    QList<QByteArray> bodies;
    bool destroyed_line_before_signal = false;

    // A handler of the reply, owned by the watch, watched from its start.
    ReplyHandler* start(QNetworkReply* reply, const QString& name, int timeout)
    {
        auto* handler = new ReplyHandler(reply, name, timeout, &parent);
        attach(handler);
        return handler;
    }
    void attach(ReplyHandler* handler)
    {
        QObject::connect(handler, &ReplyHandler::success, [this](const QByteArray& body) {
            events << "success";
            bodies << body;
            check_not_yet_destroyed();
        });
        QObject::connect(handler, &ReplyHandler::failure, [this]() {
            events << "failure";
            check_not_yet_destroyed();
        });
    }
    void check_not_yet_destroyed()
    {
        for (const QString& line : debug_capture::lines())
            if (line.endsWith(": ReplyHandler destroyed"))
                destroyed_line_before_signal = true;
    }

    QObject parent; // declared last: gone first, taking its handlers with it
};

QStringList without_progress(const QStringList& lines)
{
    QStringList kept;
    for (const QString& line : lines)
        if (!line.endsWith(": HTTP download progress"))
            kept << line;
    return kept;
}

} // namespace

class test_replyhandler : public network_test
{
    Q_OBJECT

private slots:
    void silent_server_times_out_then_fails_then_is_destroyed();
    void chunk_every_half_timeout_completes();
    void empty_200_is_success_with_empty_body();
    void status_404_is_failure();
    void answer_over_64_kb_is_aborted_data();
    void answer_over_64_kb_is_aborted();
    void refused_connection_is_failure();
    void upload_progress_is_logged();
    void parent_destroyed_while_waiting_releases_reply_without_signal();
    void no_reply_reports_nothing_and_stays();

};

void test_replyhandler::silent_server_times_out_then_fails_then_is_destroyed()
{
    http_test_server server([](QTcpSocket*, const QByteArray&) {});
    QVERIFY(server.listening());
    debug_capture log;
    handler_watch watch;

    QElapsedTimer clock;
    clock.start();
    QPointer<QNetworkReply> reply = manager->get(QNetworkRequest(QUrl(server.base_url("/silent"))));
    QPointer<ReplyHandler> handler = watch.start(reply, "test/silent", 300);

    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 10000);
    QCOMPARE(watch.events, QStringList{"failure"});
    QVERIFY2(clock.elapsed() >= 280, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(server.requests.size(), 1);
    QVERIFY(!watch.destroyed_line_before_signal);

    QTRY_VERIFY(handler.isNull());
    QTRY_VERIFY(reply.isNull()); // released by the handler's destructor (deferred)
    QTest::qWait(700);           // well past another timeout: nothing more happens
    QCOMPARE(watch.events, QStringList{"failure"});

    const QStringList lines = log.starting_with("test/silent: ");
    QCOMPARE(lines, QStringList({"test/silent: HTTP request timed out",
                                 "test/silent: HTTP request failed: \"Operation canceled\"",
                                 "test/silent: ReplyHandler destroyed"}));
}

void test_replyhandler::chunk_every_half_timeout_completes()
{
    const int timeout = 600;
    const int chunks = 6; // about 3 s in all: five times the timeout
    http_test_server server([=](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n"
                      "Connection: close\r\n\r\n");
        socket->write("6\r\nchunk0\r\n");
        socket->flush();
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<int>(1);
        QObject::connect(timer, &QTimer::timeout, socket, [=]() {
            if (*sent < chunks) {
                socket->write("6\r\nchunk" + QByteArray::number(*sent) + "\r\n");
                ++*sent;
            } else {
                socket->write("0\r\n\r\n");
                timer->stop();
            }
            socket->flush();
        });
        timer->start(timeout / 2);
    });
    debug_capture log;
    handler_watch watch;
    QElapsedTimer clock;
    clock.start();
    watch.start(manager->get(QNetworkRequest(QUrl(server.base_url("/slow")))), "test/chunks", timeout);

    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 20000);
    QCOMPARE(watch.events, QStringList{"success"});
    QVERIFY2(clock.elapsed() > 2 * timeout, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(watch.bodies.first(), QByteArray("chunk0chunk1chunk2chunk3chunk4chunk5"));
    QVERIFY(log.count("test/chunks: HTTP download progress") >= chunks);
    QCOMPARE(log.count("test/chunks: HTTP request timed out"), 0);
    QCOMPARE(log.count("test/chunks: HTTP request was successful"), 1);
    QTRY_COMPARE(log.count("test/chunks: ReplyHandler destroyed"), 1);
    QTest::qWait(timeout + 100);
    QCOMPARE(watch.events.size(), 1);
}

void test_replyhandler::empty_200_is_success_with_empty_body()
{
    http_test_server server([](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "200 OK", QByteArray(), "text/plain");
    });
    debug_capture log;
    handler_watch watch;
    QPointer<ReplyHandler> handler =
        watch.start(manager->get(QNetworkRequest(QUrl(server.base_url()))), "test/empty", 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 10000);
    QCOMPARE(watch.events, QStringList{"success"});
    QVERIFY(watch.bodies.first().isEmpty());
    QTRY_VERIFY(handler.isNull());
    QCOMPARE(without_progress(log.starting_with("test/empty: ")),
             QStringList({"test/empty: HTTP request was successful", "test/empty: ReplyHandler destroyed"}));
    QCOMPARE(watch.events.size(), 1);
}

void test_replyhandler::status_404_is_failure()
{
    http_test_server server([](QTcpSocket* socket, const QByteArray&) {
        http_test_server::send(socket, "404 Not Found", "no such thing", "text/plain");
    });
    debug_capture log;
    handler_watch watch;
    QPointer<ReplyHandler> handler =
        watch.start(manager->get(QNetworkRequest(QUrl(server.base_url("/missing")))), "test/404", 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 10000);
    QCOMPARE(watch.events, QStringList{"failure"});
    QTRY_VERIFY(handler.isNull());
    const QStringList lines = without_progress(log.starting_with("test/404: "));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("test/404: HTTP request failed: \""), qPrintable(lines[0]));
    QVERIFY2(lines[0].contains("Not Found"), qPrintable(lines[0]));
    QCOMPARE(lines[1], QString("test/404: ReplyHandler destroyed"));
    QCOMPARE(log.count("test/404: HTTP request was successful"), 0);
    QCOMPARE(watch.events.size(), 1);
}

void test_replyhandler::answer_over_64_kb_is_aborted_data()
{
    add_columns<qint64, bool>("size",
                              "announced"); // with Content-Length, or ended by closing the connection
    add_row("64 KiB announced", qint64(65536), true);
    add_row("one byte more announced", qint64(65537), true);
    add_row("64 KiB unannounced", qint64(65536), false);
    add_row("one byte more unannounced", qint64(65537), false);
    add_row("20 MiB unannounced", (qint64(20) << 20), false);
}

void test_replyhandler::answer_over_64_kb_is_aborted()
{
    auto [size, announced] = fetch<qint64, bool>("size", "announced");
    const QByteArray body(static_cast<int>(size), 'x');
    http_test_server server([&](QTcpSocket* socket, const QByteArray&) {
        if (announced) {
            http_test_server::send(socket, "200 OK", body, "text/plain");
        } else {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        }
    });
    debug_capture log;
    handler_watch watch;
    QPointer<ReplyHandler> handler =
        watch.start(manager->get(QNetworkRequest(QUrl(server.base_url()))), "test/big", 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 10000);
    QTRY_VERIFY(handler.isNull());
    const QStringList lines = without_progress(log.starting_with("test/big: "));
    if (size <= ReplyHandler::maxBody) {
        QCOMPARE(watch.events, QStringList{"success"});
        QCOMPARE(watch.bodies.first(), body);
        QCOMPARE(lines,
                 QStringList({"test/big: HTTP request was successful", "test/big: ReplyHandler destroyed"}));
    } else {
        QCOMPARE(watch.events, QStringList{"failure"});
        QCOMPARE(lines, QStringList({"test/big: HTTP request failed: answer larger than 65536 bytes",
                                     "test/big: ReplyHandler destroyed"}));
    }
}

void test_replyhandler::refused_connection_is_failure()
{
    const quint16 port = http_test_server::unused_port();
    QVERIFY(port != 0);
    debug_capture log;
    handler_watch watch;
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    QPointer<ReplyHandler> handler = watch.start(manager->get(QNetworkRequest(url)), "test/refused", 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 10000);
    QCOMPARE(watch.events, QStringList{"failure"});
    QTRY_VERIFY(handler.isNull());
    const QStringList lines = without_progress(log.starting_with("test/refused: "));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[0].startsWith("test/refused: HTTP request failed: \"Connection refused"),
             qPrintable(lines[0]));
}

void test_replyhandler::upload_progress_is_logged()
{
    const QByteArray payload(4 * 1024 * 1024, 'x');
    http_test_server* server_ptr = nullptr;
    http_test_server server([&](QTcpSocket* socket, const QByteArray&) {
        // Answer once the whole body is in.
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [=, &server_ptr]() {
            if (server_ptr->received_body.size() >= payload.size()) {
                timer->stop();
                http_test_server::send(socket, "200 OK", "stored", "text/plain");
            }
        });
        timer->start(10);
    });
    server_ptr = &server;
    debug_capture log;
    handler_watch watch;
    QNetworkRequest request(QUrl(server.base_url("/upload")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/octet-stream");
    watch.start(manager->post(request, payload), "test/upload", 5000);
    QTRY_COMPARE_WITH_TIMEOUT(watch.events.size(), 1, 20000);
    QCOMPARE(watch.events, QStringList{"success"});
    QCOMPARE(watch.bodies.first(), QByteArray("stored"));
    QVERIFY(log.count("test/upload: HTTP upload progress") >= 1);
    QCOMPARE(server.received_body.size(), payload.size());
}

void test_replyhandler::parent_destroyed_while_waiting_releases_reply_without_signal()
{
    http_test_server server([](QTcpSocket*, const QByteArray&) {});
    debug_capture log;
    handler_watch watch;
    auto parent = std::make_unique<QObject>();
    QPointer<QNetworkReply> reply = manager->get(QNetworkRequest(QUrl(server.base_url())));
    QPointer<ReplyHandler> handler = new ReplyHandler(reply, "test/parent", 300, parent.get());
    watch.attach(handler);
    QTRY_COMPARE(server.requests.size(), 1);
    parent.reset();
    QVERIFY(handler.isNull());
    QCOMPARE(log.starting_with("test/parent: "), QStringList{"test/parent: ReplyHandler destroyed"});
    QTRY_VERIFY(reply.isNull());
    QTest::qWait(600); // past the timeout: no abort, no signal
    QVERIFY(watch.events.isEmpty());
    QCOMPARE(log.starting_with("test/parent: ").size(), 1);
}

void test_replyhandler::no_reply_reports_nothing_and_stays()
{
    debug_capture log;
    handler_watch watch;
    QPointer<ReplyHandler> handler = watch.start(nullptr, "test/none", 50);
    QTest::qWait(200); // the time-out without a reply does nothing
    QVERIFY(QMetaObject::invokeMethod(handler, "onRequestFinished"));
    QTest::qWait(50);
    QVERIFY(handler); // no self-deletion
    QVERIFY(watch.events.isEmpty());
    QCOMPARE(log.starting_with("test/none: "),
             QStringList{"test/none: HTTP request failed: httpReply object is gone"});
}

QTEST_GUILESS_MAIN(test_replyhandler)
#include "test_replyhandler.moc"

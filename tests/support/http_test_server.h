#pragma once
// A tiny HTTP/1.1 server on 127.0.0.1 for the online-service tests. Each complete request head is
// recorded and handed with its socket to the responder, which answers (or does not) as the test needs.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

class http_test_server
{
public:
    using responder = std::function<void(QTcpSocket*, const QByteArray& head)>;

    explicit http_test_server(responder respond) : respond_(std::move(respond))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &context_, [this]() {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                ++connections;
                QObject::connect(socket, &QTcpSocket::readyRead, &context_,
                                 [this, socket]() { read(socket); });
            }
        });
    }

    bool listening() const { return server_.isListening(); }
    quint16 port() const { return server_.serverPort(); }
    QString base_url(const QString& path = "/") const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    // Request heads as received, in order (request line, headers, without the blank line).
    QList<QByteArray> requests;
    // Bodies received after the head (only what arrived before the responder was called, and later data).
    QByteArray received_body;
    int connections = 0;

    // A local port nobody listens on (just released), for a service that is not there.
    static quint16 unused_port()
    {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
    }

    static QByteArray request_line(const QByteArray& head) { return head.left(head.indexOf("\r\n")); }

    // Header values by lower-case name; a repeated header keeps every value.
    static QMultiMap<QByteArray, QByteArray> headers(const QByteArray& head)
    {
        QMultiMap<QByteArray, QByteArray> result;
        const QList<QByteArray> lines = head.split('\n');
        for (int i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const int colon = line.indexOf(':');
            if (colon > 0)
                result.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
        }
        return result;
    }

    static void send(QTcpSocket* socket, const QByteArray& status, const QByteArray& body,
                     const QByteArray& content_type = "application/json")
    {
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + content_type + "\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->flush();
    }

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = buffers_[socket];
        buffer += socket->readAll();
        if (handled_.contains(socket)) {
            received_body += buffer;
            buffer.clear();
            return;
        }
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer.left(end);
        received_body += buffer.mid(end + 4);
        buffer.clear();
        handled_ << socket;
        requests << head;
        respond_(socket, head);
    }

    responder respond_;
    QObject context_;
    QTcpServer server_;
    QMap<QTcpSocket*, QByteArray> buffers_;
    QList<QTcpSocket*> handled_;
};

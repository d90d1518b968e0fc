#include "support/tile_test_server.h"

#include <QBuffer>
#include <QImage>
#include <QNetworkRequest>
#include <QPainter>
#include <QTcpSocket>
#include <QTimer>

tile_test_server::tile_test_server()
{
    connect(&server, SIGNAL(newConnection()), this, SLOT(on_new_connection()));
    server.listen(QHostAddress::LocalHost, 0);
}

tile_test_server::~tile_test_server()
{
    for (const QPointer<QTcpSocket>& socket : held)
        if (socket)
            socket->abort();
}

QString tile_test_server::base_url() const
{
    return QStringLiteral("http://127.0.0.1:%1/osm/").arg(server.serverPort());
}

QColor tile_test_server::colour_for(const QString& path)
{
    const uint h = qHash(path);
    return QColor(int(h & 0xff), int((h >> 8) & 0xff), int((h >> 16) & 0xff));
}

QByteArray tile_test_server::png_for(const QString& path)
{
    return png_for(path, QSize(256, 256));
}

QByteArray tile_test_server::png_for(const QString& path, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour_for(path));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void tile_test_server::on_new_connection()
{
    while (QTcpSocket* socket = server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket]() { on_ready_read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void tile_test_server::on_ready_read(QTcpSocket* socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    // One request per round; the client may send the next one on the same connection afterwards.
    for (;;) {
        const int end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            break;
        const QByteArray head = buffer.left(end);
        buffer.remove(0, end + 4);
        const QList<QByteArray> lines = head.split('\n');
        const QList<QByteArray> request_line = lines.value(0).trimmed().split(' ');
        const QString path = QString::fromLatin1(request_line.value(1));
        QByteArray agent;
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("user-agent:"))
                agent = line.mid(int(qstrlen("user-agent:"))).trimmed();
            if (line.toLower().startsWith("accept-encoding:"))
                encodings << line.mid(int(qstrlen("accept-encoding:"))).trimmed();
        }
        counts[path] += 1;
        order << path;
        agents << agent;

        const answer a = answers.value(path, default_answer);
        QByteArray status = "200 OK";
        QByteArray body;
        QByteArray type = "image/png";
        switch (a) {
        case png:
            body = png_for(path);
            break;
        case not_found:
            status = "404 Not Found";
            body = "<html><body>no such tile</body></html>";
            type = "text/html";
            break;
        case server_error:
            status = "500 Internal Server Error";
            body = "<html><body>broken</body></html>";
            type = "text/html";
            break;
        case garbage:
            body = "<html><body>Please log in to use this network.</body></html>";
            type = "text/html";
            break;
        case nothing:
            held << socket;
            socket->setProperty("buffer", QByteArray());
            return;
        case hang_up:
            socket->abort();
            return;
        case png_513:
            body = png_for(path, QSize(513, 512));
            break;
        case png_512:
            body = png_for(path, QSize(512, 512));
            break;
        case png_trailer:
            body = png_for(path) + QByteArray(3 << 20, 'x');
            break;
        case trickle: {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 1000\r\n\r\n");
            auto* drip = new QTimer(socket);
            connect(drip, &QTimer::timeout, socket, [socket] { socket->write("x"); });
            drip->start(100);
            held << socket;
            return;
        }
        case redirect_same_host:
        case redirect_other_host: {
            const QByteArray to = a == redirect_same_host
                                      ? QByteArray("/osm/moved.png")
                                      : "http://localhost:" + QByteArray::number(server.serverPort()) +
                                            path.toLatin1();
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + to +
                          "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        }
        socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
        return;
    }
    socket->setProperty("buffer", buffer);
}

QNetworkReply* recording_network::createRequest(Operation op, const QNetworkRequest& request, QIODevice* data)
{
    urls << request.url();
    user_agents << request.header(QNetworkRequest::UserAgentHeader).toByteArray();
    return QNetworkAccessManager::createRequest(op, request, data);
}

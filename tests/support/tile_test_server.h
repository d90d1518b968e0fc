#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A small HTTP server on 127.0.0.1 for the tile download tests. It counts requests per path,
// records their order and User-Agent, and answers each path as told: with a PNG tile, an error
// status, garbage with status 200, or nothing at all.
class tile_test_server : public QObject
{
    Q_OBJECT

public:
    enum answer {
        png,          // 200 with a 256 x 256 PNG whose colour depends on the path
        not_found,    // 404
        server_error, // 500
        garbage,      // 200 with a body that is not an image
        nothing,      // keep the connection open and never answer
        hang_up,      // close the connection without answering
        png_513,      // 200 with a 513 x 512 PNG (one column over the tile bound)
        png_512,      // 200 with a 512 x 512 PNG
        png_trailer,  // 200 with the path's PNG followed by 3 MiB of other bytes
        trickle,      // 200 announcing 1000 bytes, then one byte every 100 ms
        redirect_same_host,  // 302 to "/osm/moved.png" on this server
        redirect_other_host  // 302 to the same path on "localhost" (the same server by another name)
    };

    tile_test_server();
    ~tile_test_server() override;

    // "http://127.0.0.1:<port>/osm/"
    QString base_url() const;

    void set_default_answer(answer a) { default_answer = a; }
    void set_answer(const QString& path, answer a) { answers[path] = a; }

    // Requests received for a path (e.g. "/osm/1/0/0.png"), all paths in arrival order, the
    // User-Agent of every request.
    int count(const QString& path) const { return counts.value(path); }
    int total() const { return order.size(); }
    QStringList paths() const { return order; }
    QList<QByteArray> user_agents() const { return agents; }
    QList<QByteArray> encodings; // the Accept-Encoding of every request that sent one
    // Drops the records of the requests so far (a long run measures the heap without them).
    void forget()
    {
        counts.clear();
        order.clear();
        agents.clear();
    }

    // The PNG served for a path and its colour.
    static QColor colour_for(const QString& path);
    static QByteArray png_for(const QString& path);
    // A PNG of the given size in the path's colour.
    static QByteArray png_for(const QString& path, QSize size);

private slots:
    void on_new_connection();

private:
    void on_ready_read(QTcpSocket* socket);

    QTcpServer server;
    answer default_answer = png;
    QMap<QString, answer> answers;
    QMap<QString, int> counts;
    QStringList order;
    QList<QByteArray> agents;
    QList<QPointer<QTcpSocket>> held; // connections that never get an answer
};

// An access manager that records the URL and User-Agent of every request it is asked to send, in
// the order asked (the server may see parallel connections in another order).
class recording_network : public QNetworkAccessManager
{
    Q_OBJECT

public:
    QList<QUrl> urls;
    QList<QByteArray> user_agents;

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice* data) override;
};

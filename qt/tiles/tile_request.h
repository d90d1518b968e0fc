#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkReply;
struct tile;

// Waits for one tile download. Owns the reply (released with deferred deletion when
// the request is destroyed) and deletes itself (deferred) once it has handed the reply on.
// Bounds the download: aborted after timeout_ms in all or once more than tile_image_check::max_bytes
// arrive or are announced; redirects are followed only to http or https on the same host.
class tile_request : public QObject
{
    Q_OBJECT

public:
    tile_request(tile* t, QNetworkReply* reply, int timeout_ms);
    ~tile_request() override;

    // Hands nothing on from now on: done() is not emitted any more.
    void detach();
    // Why the download was aborted; empty if it was not.
    const QString& refusal() const { return refusal_; }

signals:
    // The download of t has ended, well or not; emitted at most once. The reply stays the request's.
    void done(tile_request* request, tile* t, QNetworkReply* reply);

public slots:
    // Hands the reply on with done(), then schedules its own deletion.
    void reply_finished();

private:
    void refuse(const QString& reason);

    QString refusal_;
    QUrl first_url;
    QTimer timer;
    tile* t;
    QPointer<QNetworkReply> reply;
    bool detached = false;
};

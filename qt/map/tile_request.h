#pragma once

#include <QObject>
#include <QPointer>

class QNetworkReply;
struct tile;

// Waits for one tile download. Owns the reply (released with deferred deletion when
// the request is destroyed) and deletes itself (deferred) once it has handed the reply on.
class tile_request : public QObject
{
    Q_OBJECT

public:
    tile_request(tile* t, QNetworkReply* reply);
    ~tile_request() override;

    // Hands nothing on from now on: done() is not emitted any more.
    void detach();

signals:
    // The download of t has ended, well or not; emitted at most once. The reply stays the request's.
    void done(tile_request* request, tile* t, QNetworkReply* reply);

public slots:
    // Hands the reply on with done(), then schedules its own deletion.
    void finished();

private:
    tile* t;
    QPointer<QNetworkReply> reply;
    bool detached = false;
};

#pragma once

#include <QObject>
#include <QPointer>

class QNetworkReply;
class tile_manager;
struct tile;

// Waits for one tile download. Owns the reply (released with deferred deletion when
// the request is destroyed) and deletes itself (deferred) once it has handed the reply on.
class tile_request : public QObject
{
    Q_OBJECT

public:
    tile_request(tile_manager* manager, tile* t, QNetworkReply* reply);
    ~tile_request() override;

    // Forgets the manager: a request whose manager is gone hands nothing on.
    void detach();

public slots:
    // Hands the reply to the manager's tile_download_finished, then schedules its own deletion.
    void finished();

private:
    QPointer<tile_manager> manager;
    tile* t;
    QPointer<QNetworkReply> reply;
};

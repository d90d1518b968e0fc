#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkReply;
class tile_manager;
struct tile;

// Waits for one tile download. Owns the reply (released with deferred deletion when
// the request is destroyed) and deletes itself (deferred) once it has handed the reply on.
// Bounds the download: aborted after timeout_ms in all or once more than tile_image_check::max_bytes
// arrive or are announced; redirects are followed only to http or https on the same host.
class tile_request : public QObject
{
    Q_OBJECT

public:
    tile_request(tile_manager* manager, tile* t, QNetworkReply* reply, int timeout_ms);
    ~tile_request() override;

    // Forgets the manager: a request whose manager is gone hands nothing on.
    void detach();

public slots:
    // Hands the reply to the manager's tile_download_finished, then schedules its own deletion.
    void finished();

private:
    void refuse(const QString& reason);

    QPointer<tile_manager> manager;
    QString refusal; // why the download was aborted; empty if it was not
    QUrl first_url;
    QTimer timer;
    tile* t;
    QPointer<QNetworkReply> reply;
};

#include "map/tile_request.h"

#include "map/tile_manager.h"

#include <QNetworkReply>

tile_request::tile_request(tile_manager* manager, tile* t, QNetworkReply* reply)
    : manager(manager), t(t), reply(reply)
{
    connect(reply, SIGNAL(finished()), this, SLOT(finished()));
}

tile_request::~tile_request()
{
    if (reply) {
        reply->disconnect(this);
        if (reply->isRunning())
            reply->abort();
        reply->deleteLater();
    }
    reply = nullptr;
}

void tile_request::detach()
{
    manager = nullptr;
}

void tile_request::finished()
{
    if (manager) {
        tile_manager* m = manager;
        manager = nullptr;
        m->request_done(this);
        m->tile_download_finished(t, reply);
    }
    deleteLater();
}

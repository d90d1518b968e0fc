#include "map/tile_request.h"

#include <QNetworkReply>

tile_request::tile_request(tile* t, QNetworkReply* reply) : t(t), reply(reply)
{
    connect(reply, &QNetworkReply::finished, this, &tile_request::finished);
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
    detached = true;
}

void tile_request::finished()
{
    if (!detached) {
        detached = true;
        emit done(this, t, reply);
    }
    deleteLater();
}

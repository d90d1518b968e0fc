#include "tiles/tile_request.h"

#include "tiles/tile_image_check.h"

#include <QNetworkReply>

tile_request::tile_request(tile* t, QNetworkReply* reply, int timeout_ms)
    : first_url(reply->url()), t(t), reply(reply)
{
    connect(reply, &QNetworkReply::finished, this, &tile_request::reply_finished);
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (received > tile_image_check::max_bytes || total > tile_image_check::max_bytes)
            refuse(QStringLiteral("the reply is larger than %1 bytes").arg(tile_image_check::max_bytes));
    });
    connect(reply, &QNetworkReply::redirected, this, [this](const QUrl& to) {
        const QString scheme = to.scheme().toLower();
        if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
            to.host().compare(first_url.host(), Qt::CaseInsensitive) == 0)
            emit this->reply->redirectAllowed();
        else
            refuse(QStringLiteral("redirect to %1 refused: only http or https on the same host is followed")
                       .arg(to.toString()));
    });
    // A server that trickles or stalls must not hold one of the few connections for ever.
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this,
            [this, timeout_ms] { refuse(QStringLiteral("no complete reply within %1 s").arg(timeout_ms / 1000.0)); });
    timer.start(timeout_ms);
}

void tile_request::refuse(const QString& reason)
{
    if (!refusal_.isEmpty() || !reply || !reply->isRunning())
        return;
    refusal_ = reason;
    reply->abort(); // finishes the reply: reply_finished() hands it on with the refusal
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

void tile_request::reply_finished()
{
    if (!detached) {
        detached = true;
        emit done(this, t, reply);
    }
    deleteLater();
}

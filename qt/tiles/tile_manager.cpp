#include "tiles/tile_manager.h"

#include "data/io/dornvale_version.h"
#include "data/io/fatal.h"
#include "tiles/mbtiles_file.h"
#include "tiles/tile_cache.h"
#include "tiles/tile_image_check.h"
#include "tiles/tile_math.h"
#include "tiles/tile_request.h"
#include "data/io/trace.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <sstream>

tile_manager::tile_manager(QNetworkAccessManager* network, tile_cache* cache, const QString& base_url,
                           QObject* parent)
    : QObject(parent), network(network), cache(cache)
{
    set_base_url(base_url);
}

tile_manager::~tile_manager()
{
    forget_tiles();
}

void tile_manager::forget_tiles()
{
    // Requests still in flight must not call into this manager any more: forget them and let
    // each abort and release its reply.
    const std::set<tile_request*> pending = pending_;
    pending_.clear();
    for (tile_request* request : pending) {
        request->detach();
        delete request;
    }
    lru_.clear();
    tiles_.clear();
    unavailable_told_ = false;
}

void tile_manager::use_server(const QString& url)
{
    forget_tiles();
    set_base_url(url);
    mbtiles_.reset();
    source_ = tile_source::server;
}

void tile_manager::use_mbtiles(std::shared_ptr<const mbtiles_file> file)
{
    forget_tiles();
    mbtiles_ = std::move(file);
    source_ = tile_source::mbtiles;
}

void tile_manager::use_none()
{
    forget_tiles();
    mbtiles_.reset();
    source_ = tile_source::none;
}

const QPixmap* tile_manager::image(int x, int y, int level)
{
    // Without a source nothing comes: no record is made for each tile panned over.
    if (source_ == tile_source::none)
        return nullptr;
    const tile* t = fetch(x, y, level);
    return t->decoded ? &t->pixmap : nullptr;
}

void tile_manager::read_mbtiles(tile* t)
{
    t->attempts += 1;
    t->state = tile_failed;
    if (!mbtiles_->covers(t->x, t->y, t->level))
        return;
    QString refusal;
    const QByteArray data = mbtiles_->tile_data(t->x, t->y, t->level, &refusal);
    QPixmap image;
    if (data.isEmpty() || !tile_image_check::decode(data, image, refusal)) {
        if (data.isEmpty() && refusal.isEmpty())
            return;
        trace_debug() << "Error in" << mbtiles_->path() << t->key.c_str() << ":"
                      << (refusal.isEmpty() ? QStringLiteral("not an image") : refusal);
        return;
    }
    hold(t, image);
    t->state = tile_ready;
}

void tile_manager::set_base_url(const QString& url)
{
    base_url_ = build_settings::with_slash(url);
}

QByteArray tile_manager::user_agent()
{
    return QByteArrayLiteral(DORNVALE_APP_NAME "/" DORNVALE_VERSION
                                               " (+https://www.dornvale.example/; support@dornvale.example)");
}

QUrl tile_manager::tile_url(qint32 x, qint32 y, qint32 level) const
{
    std::ostringstream text;
    text << base_url_.toStdString() << level << "/" << x << "/" << y << ".png";
    return QUrl(QString::fromStdString(text.str()), QUrl::TolerantMode);
}

void tile_manager::set_memory_limit(int limit)
{
    memory_limit_ = std::max(1, limit);
    trim();
}

QPixmap* tile_manager::missing_pixmap()
{
    if (!missing) {
        missing.reset(new QPixmap);
        if (!missing->load(QStringLiteral(":/images/test-data/missing.png")))
            fatal("image load failed!");
    }
    return missing.get();
}

const tile* tile_manager::find_tile(int x, int y, int level) const
{
    const auto found = tiles_.find(address(level, x, y));
    return found == tiles_.end() ? nullptr : found->second.get();
}

tile* tile_manager::find_or_create(int x, int y, int level)
{
    auto found = tiles_.find(address(level, x, y));
    if (found != tiles_.end())
        return found->second.get();
    std::unique_ptr<tile> t(new tile);
    t->x = x;
    t->y = y;
    t->level = level;
    t->key = tile_key(x, y, level);
    t->state = tile_empty;
    t->attempts = 0;
    t->pixmap = *missing_pixmap();
    tile* record = t.get();
    tiles_.emplace(address(level, x, y), std::move(t));
    return record;
}

const QPixmap& tile_manager::get_tile_pixmap(int x, int y, int level)
{
    return fetch(x, y, level)->pixmap;
}

tile* tile_manager::fetch(int x, int y, int level)
{
    tile* t = find_or_create(x, y, level);

    // Held in memory: no disk access, no decoding.
    if (t->decoded) {
        touch(t);
        return t;
    }

    if (source_ == tile_source::none)
        return t;
    if (source_ == tile_source::mbtiles) {
        // Ready but let go, or never read: read it (again).
        if (t->state != tile_failed)
            read_mbtiles(t);
        return t;
    }

    // A cache file that decodes makes the tile ready (whatever its state, unless a download is
    // in flight, whose result replaces the file anyway). One that does not decode counts as
    // missing, so the tile is fetched again and the file replaced.
    if (t->state != tile_loading && load_from_cache(t))
        return t;

    // Ready, but its image was let go and its cache file is gone or broken: fetch it again.
    if (t->state == tile_ready)
        t->state = tile_empty;

    if (t->state == tile_empty || (t->state == tile_failed && t->attempts < max_attempts))
        request_tile(t);
    return t;
}

bool tile_manager::load_from_cache(tile* t)
{
    if (!cache->exists(t->key))
        return false;
    QPixmap image;
    QString refusal;
    if (!tile_image_check::decode(cache->read(t->key), image, refusal)) {
        cache->remove(t->key);
        return false;
    }
    hold(t, image);
    t->state = tile_ready;
    return true;
}

void tile_manager::request_tile(tile* t)
{
    t->attempts += 1;
    // Without a network (an offline set-up) a tile simply stays missing.
    if (!network) {
        t->state = tile_failed;
        failed(QStringLiteral("no network"));
        return;
    }
    t->state = tile_loading;
    QNetworkRequest request(tile_url(t->x, t->y, t->level));
    request.setHeader(QNetworkRequest::UserAgentHeader, user_agent());
    // Asked for as is: Qt inflates a compressed answer whole, before tile_request can bound its size.
    request.setRawHeader("Accept-Encoding", "identity");
    // tile_request allows each redirect it is asked about (http or https, same host).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    QNetworkReply* reply = network->get(request);
    auto* pending = new tile_request(t, reply, request_timeout_);
    connect(pending, &tile_request::done, this, &tile_manager::request_finished);
    pending_.insert(pending);
}

void tile_manager::request_finished(tile_request* request, tile* t, QNetworkReply* reply)
{
    pending_.erase(request);
    tile_download_finished(t, reply, request->refusal());
}

void tile_manager::tile_download_finished(tile* tile2, QNetworkReply* reply, const QString& refusal)
{
    if (!reply) {
        tile2->state = tile_failed;
        return;
    }
    // Each failure: one "Error in" line, the tile failed with its placeholder, failed(reason).
    QUrl url = reply->url();
    QString reason = refusal;
    QByteArray body;
    QPixmap image;
    if (!refusal.isEmpty()) {
        // Named by the tile's own address: after a redirect the reply's URL is another one.
        url = tile_url(tile2->x, tile2->y, tile2->level);
    } else if (reply->error() != QNetworkReply::NoError) {
        reason = reply->errorString();
    } else {
        body = reply->read(tile_image_check::max_bytes + 1);
        // An error page served with status 200, a captive portal, a truncated body: not cached,
        // so it cannot block the tile; retried like a network error.
        if (!tile_image_check::decode(body, image, reason) && reason.isEmpty())
            reason = QStringLiteral("the reply is not an image (%1 bytes, status %2)")
                         .arg(body.size())
                         .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt());
    }
    if (!reason.isEmpty()) {
        trace_debug() << "Error in" << url << ":" << reason;
        tile2->state = tile_failed;
        failed(reason);
        return;
    }
    cache->write(tile2->key, body);
    hold(tile2, image);
    tile2->state = tile_ready;
    unavailable_told_ = false;
    emit tile_is_ready();
}

void tile_manager::failed(const QString& reason)
{
    if (unavailable_told_)
        return;
    unavailable_told_ = true;
    emit tiles_unavailable(reason);
}

void tile_manager::hold(tile* t, const QPixmap& image)
{
    t->pixmap = image;
    if (t->decoded) {
        touch(t);
        return;
    }
    t->decoded = true;
    lru_.push_front(t);
    t->lru_position = lru_.begin();
    trim();
}

void tile_manager::touch(tile* t)
{
    if (t->lru_position != lru_.begin())
        lru_.splice(lru_.begin(), lru_, t->lru_position);
}

void tile_manager::let_go(tile* t)
{
    lru_.erase(t->lru_position);
    t->decoded = false;
    t->pixmap = *missing_pixmap();
}

void tile_manager::trim()
{
    while (static_cast<int>(lru_.size()) > memory_limit_)
        let_go(lru_.back());
}

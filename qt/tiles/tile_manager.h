#pragma once

#include "util/build_settings.h"

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QUrl>
#include <QtGlobal>

#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>

class QNetworkAccessManager;
class QNetworkReply;
class mbtiles_file;
class tile_cache;
class tile_request;

// Where the tiles come from: the server at base_url(), an MBTiles file, or nowhere (the map shows
// its offline basemap alone).
enum class tile_source { server, mbtiles, none };

// States of a tile record.
enum tile_state : qint32 {
    tile_empty = 0,   // record just created, nothing requested
    tile_loading = 1, // a download is in flight
    tile_failed = 2,  // the last download failed (network error, error status, or not an image)
    tile_ready = 3    // the tile's image is available (from the cache file or from a download)
};

// One tile record: created on the first request for its address, kept (with its state and
// attempt count) until the manager is destroyed.
struct tile
{
    qint32 x;        // column, already wrapped into 0 ... 2^level - 1
    qint32 y;        // row, as requested (not clamped)
    qint32 level;    // zoom level
    std::string key; // tile_key: "x_y_level", also the cache file name
    qint32 state;    // tile_state
    qint32 attempts; // download requests issued so far
    QPixmap pixmap;  // the image to draw: the placeholder until the tile's own image is held

    // Bookkeeping of the decoded images held in memory (least recently used first out).
    bool decoded = false; // pixmap holds the tile's own decoded image
    std::list<tile*>::iterator lru_position;
};

// The map's tile source. get_tile_pixmap answers at once with the best image it has
// and starts a download for a tile that is neither held nor cached on disk; a successful download
// is written to the disk cache and announced with tile_is_ready(). GUI thread only.
//
// Ready tiles keep their decoded image in memory, bounded by memory_limit() decoded tiles (least
// recently used go first): a repaint of a view whose tiles are all held neither touches the disk
// nor decodes anything. A ready tile whose image was let go is read from the cache again when
// asked for; if its cache file is gone or does not decode, it is downloaded again.
class tile_manager : public QObject
{
    Q_OBJECT

public:
    static const int default_memory_limit = 512;
    // A tile whose downloads keep failing is requested at most this often in a run.
    static const qint32 max_attempts = 4;
    static const int default_request_timeout = 20000;

    // network: the application's shared access manager; cache: the disk cache (neither owned,
    // both must outlive the manager). base_url: the tile server's base URL, to which
    // "level/column/row.png" is appended; by default the deployment setting of build.conf.
    tile_manager(QNetworkAccessManager* network, tile_cache* cache,
                 const QString& base_url = build_settings::tile_server_url(), QObject* parent = nullptr);
    // Detaches and aborts the downloads still in flight, so that none calls into a destroyed
    // manager.
    ~tile_manager() override;

    tile_manager(const tile_manager&) = delete;
    tile_manager& operator=(const tile_manager&) = delete;

    // Forgets every tile (downloads in flight are aborted) and takes tiles from then on from the
    // server at url, from the file (reading it on the GUI thread, no disk cache, never from the
    // network) or from nowhere.
    void use_server(const QString& url);
    void use_mbtiles(std::shared_ptr<const mbtiles_file> file);
    void use_none();
    tile_source source() const { return source_; }
    // The file tiles come from; null unless the source is mbtiles.
    const mbtiles_file* mbtiles() const { return mbtiles_.get(); }

    // As get_tile_pixmap, but null while the tile has no image of its own (not yet downloaded,
    // failed, outside the file, no source): the map draws its basemap there.
    const QPixmap* image(int x, int y, int level);

    // The image to draw for tile (x, y, level), x already wrapped (wrap_column). The reference
    // points into the tile record and stays valid for the manager's lifetime; its content changes
    // when the tile's image arrives or is let go. Starts a download when the tile is neither held
    // in memory nor cached on disk and is empty, or failed with fewer than max_attempts requests.
    const QPixmap& get_tile_pixmap(int x, int y, int level);

    // Starts one download for the record: attempts + 1, state loading, GET of tile_url.
    void request_tile(tile* t);

    // The placeholder ":/images/test-data/missing.png", loaded on first use; fatal
    // ("image load failed!") when it cannot be loaded.
    QPixmap* missing_pixmap();

    // The tile server's base URL, ending in "/".
    QString base_url() const { return base_url_; }
    void set_base_url(const QString& url);

    // base URL + level "/" column "/" row ".png".
    QUrl tile_url(qint32 x, qint32 y, qint32 level) const;

    // The User-Agent sent on tile requests: "Dornvale/v0.1.3" and a contact part.
    static QByteArray user_agent();

    // Time a download may take in all before it is aborted and the tile counts as failed, in ms.
    int request_timeout() const { return request_timeout_; }
    void set_request_timeout(int ms) { request_timeout_ = ms; }

    // Upper bound on the number of decoded tile images held in memory (at least 1).
    int memory_limit() const { return memory_limit_; }
    void set_memory_limit(int limit);
    // Number of decoded tile images held now.
    int decoded_count() const { return static_cast<int>(lru_.size()); }

    // The record of a tile, or null when it was never asked for (for diagnostics and tests).
    const tile* find_tile(int x, int y, int level) const;
    // Number of tile records.
    int tile_count() const { return static_cast<int>(tiles_.size()); }
    // Number of downloads in flight.
    int pending_count() const { return static_cast<int>(pending_.size()); }

signals:
    // Emitted after every successful download.
    void tile_is_ready();
    // Emitted at the first failed download (or missing network) since the start or since the last
    // successful one, so a window can say once that tiles are not coming; reason names the cause.
    void tiles_unavailable(const QString& reason);

public slots:
    // Handles a finished download, with the reason when its tile_request aborted it. A network error,
    // a refusal or a body that fails tile_image_check logs "Error in" with the URL and the reason and
    // leaves the tile failed with its placeholder (retried only at a later request). A body that
    // passes is written to the cache, held as the tile's image, and tile_is_ready() is emitted.
    void tile_download_finished(tile* tile2, QNetworkReply* reply, const QString& refusal = QString());

private:
    using address = std::tuple<qint32, qint32, qint32>; // level, x, y

    tile* find_or_create(int x, int y, int level);
    // The tile's record after asking the source for it, as get_tile_pixmap does.
    tile* fetch(int x, int y, int level);
    // Makes the image the tile's own decoded image and the most recently used one; lets the least
    // recently used go beyond the limit.
    void hold(tile* t, const QPixmap& image);
    void touch(tile* t);
    void let_go(tile* t);
    void trim();
    // Reads and decodes the tile's cache file; false when it is absent or fails tile_image_check,
    // in which case the file is deleted.
    bool load_from_cache(tile* t);
    // A request of this manager has ended: it is no longer pending, its tile gets the result.
    void request_finished(tile_request* request, tile* t, QNetworkReply* reply);
    // A download failed: announces it unless that was done since the last success.
    void failed(const QString& reason);
    // Reads the tile from the MBTiles file: ready when it holds one that passes tile_image_check,
    // else failed (and never read again).
    void read_mbtiles(tile* t);
    // Aborts the downloads in flight and forgets every tile record.
    void forget_tiles();

    QNetworkAccessManager* network;
    tile_cache* cache;
    std::map<address, std::unique_ptr<tile>> tiles_;
    std::unique_ptr<QPixmap> missing;
    QString base_url_;
    int memory_limit_ = default_memory_limit;
    int request_timeout_ = default_request_timeout;
    std::list<tile*> lru_; // decoded tiles, most recently used first
    std::set<tile_request*> pending_;
    bool unavailable_told_ = false;
    tile_source source_ = tile_source::server;
    std::shared_ptr<const mbtiles_file> mbtiles_;
};

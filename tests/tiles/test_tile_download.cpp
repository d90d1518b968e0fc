// Tile download against a small HTTP server on 127.0.0.1: one request per tile while in
// flight, at most four attempts, column-major order, cache files, placeholder, garbage not cached,
// User-Agent, cached tiles never requested, decoded tiles held in memory with an LRU bound.
#include "util/build_settings.h"
#include "support/log_capture.h"
#include "tiles/tile_cache.h"
#include "tiles/tile_manager.h"
#include "tiles/tile_math.h"
#include "support/tile_test_server.h"
#include "support/data_table.h"
#include "map/zoom_state.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Everything one test needs: a cache in a temporary tiles directory, a server, a recording access
// manager and a tile manager pointed at the server.
struct fixture
{
    QTemporaryDir tiles;
    std::unique_ptr<tile_cache> cache;
    tile_test_server server;
    recording_network network;
    std::unique_ptr<tile_manager> manager;

    fixture()
    {
        network.setProxy(QNetworkProxy::NoProxy);
        cache.reset(new tile_cache(QDir(tiles.path()), "osm"));
        manager.reset(new tile_manager(&network, cache.get(), server.base_url()));
    }

    QString cache_file(const QString& key) const { return tiles.path() + "/osm/" + key; }

    // One paint of a widget of the given size: every visible tile, column by column, as the map widget
    // paints.
    void paint(const zoom_state& view, int width, int height)
    {
        const tile_range range = view.visible_tiles(width, height);
        for (qint64 c = range.c0; c <= range.c1; ++c)
            for (qint64 r = range.r0; r <= range.r1; ++r)
                manager->get_tile_pixmap(wrap_column(c, view.currentLevel), int(r), view.currentLevel);
    }

    bool wait_idle()
    {
        return QTest::qWaitFor([this]() { return manager->pending_count() == 0; }, 10000);
    }

    QStringList requested_paths() const
    {
        QStringList paths;
        for (const QUrl& url : network.urls)
            paths << url.path();
        return paths;
    }
};

zoom_state new_view()
{
    zoom_state z;
    z.step_up();
    return z;
}

bool is_placeholder(tile_manager& manager, const QPixmap& pixmap)
{
    return pixmap.cacheKey() == manager.missing_pixmap()->cacheKey();
}

// The tile shows the server's image for the path.
bool shows(const QPixmap& pixmap, const QString& path)
{
    if (pixmap.isNull() || pixmap.size() != QSize(256, 256))
        return false;
    const QImage image = pixmap.toImage();
    const QColor expected = tile_test_server::colour_for(path);
    return QColor(image.pixel(0, 0)) == expected && QColor(image.pixel(255, 255)) == expected;
}

} // namespace

class test_tile_download : public QObject
{
    Q_OBJECT

private slots:
    void base_url_default_and_tile_url();
    void placeholder_loaded_once();
    void first_view_one_request_per_tile_in_column_major_order();
    void no_second_request_while_in_flight();
    void failing_tile_is_requested_exactly_four_times();
    void error_status_keeps_placeholder();
    void garbage_with_status_200_is_not_cached();
    void connection_closed_without_answer_is_a_failure();
    void broken_cache_file_is_fetched_again_and_replaced();
    void cached_tile_is_never_requested();
    void column_minus_one_is_keyed_and_cached_as_wrapped();
    void user_agent_is_sent();
    void ready_tiles_are_held_in_memory();
    void decoded_tiles_are_bounded_least_recently_used_first();
    void evicted_tile_without_cache_file_is_fetched_again();
    void destroying_the_manager_with_downloads_in_flight();
    void without_network_tiles_stay_missing();

    void refused_answers_data();
    void refused_answers();
    void trickling_server_times_out_and_frees_the_connection();
    void redirect_followed_on_the_same_host_only();
    void cache_file_failing_the_checks_is_deleted();
};

void test_tile_download::base_url_default_and_tile_url()
{
    QTemporaryDir tiles;
    tile_cache cache(QDir(tiles.path()), "osm");
    QNetworkAccessManager network;
    tile_manager by_default(&network, &cache);
    QCOMPARE(by_default.base_url(), build_settings::tile_server_url());
    QVERIFY(by_default.base_url().endsWith('/'));

    tile_manager manager(&network, &cache, "http://127.0.0.1:8000/osm");
    QCOMPARE(manager.base_url(), QString("http://127.0.0.1:8000/osm/"));
    // Level, column, row: the other order than the key.
    QCOMPARE(manager.tile_url(3, 5, 4), QUrl("http://127.0.0.1:8000/osm/4/3/5.png"));
    QCOMPARE(manager.tile_url(1, -1, 1), QUrl("http://127.0.0.1:8000/osm/1/1/-1.png"));
    manager.set_base_url("http://127.0.0.1:9000/");
    QCOMPARE(manager.tile_url(0, 0, 0), QUrl("http://127.0.0.1:9000/0/0/0.png"));
}

void test_tile_download::placeholder_loaded_once()
{
    fixture f;
    QPixmap* missing = f.manager->missing_pixmap();
    QVERIFY(missing);
    QCOMPARE(missing->size(), QSize(256, 256));
    QCOMPARE(f.manager->missing_pixmap(), missing);
    QCOMPARE(missing->toImage(),
             QImage(":/images/test-data/missing.png").convertToFormat(missing->toImage().format()));
}

void test_tile_download::first_view_one_request_per_tile_in_column_major_order()
{
    fixture f;
    // Level 1 has rows 0 and 1 only.
    f.server.set_answer("/osm/1/0/2.png", tile_test_server::not_found);
    f.server.set_answer("/osm/1/1/2.png", tile_test_server::not_found);
    QSignalSpy ready(f.manager.get(), SIGNAL(tile_is_ready()));

    const zoom_state view = new_view();
    f.paint(view, 640, 480);
    // Columns -1 ... 2 wrap to 1, 0, 1, 0; rows 0 ... 2; every distinct tile once, in the order
    // painting first asked for it.
    const QStringList expected = {"/osm/1/1/0.png", "/osm/1/1/1.png", "/osm/1/1/2.png",
                                  "/osm/1/0/0.png", "/osm/1/0/1.png", "/osm/1/0/2.png"};
    QCOMPARE(f.requested_paths(), expected);
    QCOMPARE(f.manager->tile_count(), 6);
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(f.manager->find_tile(c, r, 1)->state, qint32(tile_loading));
            QVERIFY(is_placeholder(*f.manager, f.manager->get_tile_pixmap(c, r, 1)));
        }

    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.total(), 6);
    for (const QString& path : expected)
        QCOMPARE(f.server.count(path), 1);
    QCOMPARE(ready.count(), 4); // once per successful download

    // Cache files are named column_row_level; failed tiles leave none.
    QStringList names = QDir(f.tiles.path() + "/osm").entryList(QDir::Files | QDir::Hidden);
    names.sort();
    QCOMPARE(names, (QStringList{"0_0_1", "0_1_1", "1_0_1", "1_1_1"}));
    QFile file(f.cache_file("1_0_1"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), tile_test_server::png_for("/osm/1/1/0.png"));

    // The repaint shows the images; the missing row keeps the placeholder.
    QVERIFY(shows(f.manager->get_tile_pixmap(1, 0, 1), "/osm/1/1/0.png"));
    QVERIFY(shows(f.manager->get_tile_pixmap(0, 1, 1), "/osm/1/0/1.png"));
    QCOMPARE(f.manager->find_tile(1, 0, 1)->state, qint32(tile_ready));
    QCOMPARE(f.manager->find_tile(0, 2, 1)->state, qint32(tile_failed));
    QVERIFY(is_placeholder(*f.manager, f.manager->find_tile(0, 2, 1)->pixmap));
}

void test_tile_download::no_second_request_while_in_flight()
{
    fixture f;
    f.server.set_default_answer(tile_test_server::nothing);
    const zoom_state view = new_view();
    for (int i = 0; i < 5; ++i) {
        f.paint(view, 640, 480);
        QTest::qWait(50);
    }
    QCOMPARE(f.network.urls.size(), 6);
    QVERIFY(QTest::qWaitFor([&f]() { return f.server.total() == 6; }, 5000));
    QTest::qWait(100);
    QCOMPARE(f.server.total(), 6);
    for (const QString& path : f.server.paths())
        QCOMPARE(f.server.count(path), 1);
    QCOMPARE(f.manager->pending_count(), 6);
    QCOMPARE(f.manager->find_tile(0, 0, 1)->attempts, 1);
}

void test_tile_download::failing_tile_is_requested_exactly_four_times()
{
    fixture f;
    log_capture log;
    f.server.set_default_answer(tile_test_server::server_error);
    QSignalSpy ready(f.manager.get(), SIGNAL(tile_is_ready()));
    const QString path = "/osm/2/3/1.png";
    for (int repaint = 1; repaint <= 10; ++repaint) {
        f.manager->get_tile_pixmap(3, 1, 2);
        QVERIFY(f.wait_idle());
        // No retry of its own between repaints.
        QTest::qWait(20);
        QCOMPARE(f.server.count(path), qMin(repaint, 4));
        QCOMPARE(f.manager->find_tile(3, 1, 2)->attempts, qMin(repaint, 4));
        QCOMPARE(f.manager->find_tile(3, 1, 2)->state, qint32(tile_failed));
    }
    QCOMPARE(f.network.urls.size(), 4);
    QCOMPARE(ready.count(), 0);
    QCOMPARE(log.count("Error in"), 4);
    QVERIFY(is_placeholder(*f.manager, f.manager->get_tile_pixmap(3, 1, 2)));
    QVERIFY(!QFileInfo::exists(f.cache_file("3_1_2")));
}

void test_tile_download::error_status_keeps_placeholder()
{
    fixture f;
    log_capture log;
    f.server.set_default_answer(tile_test_server::not_found);
    f.manager->get_tile_pixmap(0, -1, 1); // a row above the world is requested like any other
    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.count("/osm/1/0/-1.png"), 1);
    const tile* t = f.manager->find_tile(0, -1, 1);
    QCOMPARE(t->state, qint32(tile_failed));
    QVERIFY(is_placeholder(*f.manager, t->pixmap));
    QCOMPARE(log.count("Error in"), 1);
    QVERIFY(log.matching("Error in").first().contains("/osm/1/0/-1.png"));
    QVERIFY(!QFileInfo::exists(f.cache_file("0_-1_1")));
}

void test_tile_download::garbage_with_status_200_is_not_cached()
{
    fixture f;
    log_capture log;
    f.server.set_default_answer(tile_test_server::garbage);
    QSignalSpy ready(f.manager.get(), SIGNAL(tile_is_ready()));
    f.manager->get_tile_pixmap(1, 1, 1);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.count("/osm/1/1/1.png"), 1);
    QCOMPARE(f.manager->find_tile(1, 1, 1)->state, qint32(tile_failed));
    QVERIFY(is_placeholder(*f.manager, f.manager->get_tile_pixmap(1, 1, 1))); // that call retries
    QVERIFY(!QFileInfo::exists(f.cache_file("1_1_1")));
    QCOMPARE(ready.count(), 0);
    QCOMPARE(log.count("Error in"), 1);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.count("/osm/1/1/1.png"), 2);

    // Once the server answers with an image, it is cached and shown.
    f.server.set_default_answer(tile_test_server::png);
    QVERIFY(is_placeholder(*f.manager, f.manager->get_tile_pixmap(1, 1, 1)));
    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.count("/osm/1/1/1.png"), 3);
    QCOMPARE(ready.count(), 1);
    QVERIFY(QFileInfo::exists(f.cache_file("1_1_1")));
    QVERIFY(shows(f.manager->get_tile_pixmap(1, 1, 1), "/osm/1/1/1.png"));
    QCOMPARE(f.server.count("/osm/1/1/1.png"), 3);
}

void test_tile_download::connection_closed_without_answer_is_a_failure()
{
    fixture f;
    log_capture log;
    f.server.set_default_answer(tile_test_server::hang_up);
    f.manager->get_tile_pixmap(0, 0, 0);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.manager->find_tile(0, 0, 0)->state, qint32(tile_failed));
    QVERIFY(log.count("Error in") >= 1);
    QVERIFY(!QFileInfo::exists(f.cache_file("0_0_0")));
}

void test_tile_download::broken_cache_file_is_fetched_again_and_replaced()
{
    fixture f;
    for (const QByteArray& broken : {QByteArray(), QByteArray("<html>captive portal</html>")}) {
        QVERIFY(f.cache->write("0_0_1", broken));
        // A fresh manager, as in a later run.
        f.manager.reset(new tile_manager(&f.network, f.cache.get(), f.server.base_url()));
        const int before = f.server.count("/osm/1/0/0.png");
        QVERIFY(is_placeholder(*f.manager, f.manager->get_tile_pixmap(0, 0, 1)));
        QCOMPARE(f.manager->find_tile(0, 0, 1)->state, qint32(tile_loading));
        QVERIFY(f.wait_idle());
        QCOMPARE(f.server.count("/osm/1/0/0.png"), before + 1);
        QCOMPARE(f.cache->read("0_0_1"), tile_test_server::png_for("/osm/1/0/0.png"));
        QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 1), "/osm/1/0/0.png"));
    }
}

void test_tile_download::cached_tile_is_never_requested()
{
    fixture f;
    QVERIFY(f.cache->write("2_1_2", tile_test_server::png_for("cached")));
    QSignalSpy ready(f.manager.get(), SIGNAL(tile_is_ready()));
    QVERIFY(shows(f.manager->get_tile_pixmap(2, 1, 2), "cached"));
    QCOMPARE(f.manager->find_tile(2, 1, 2)->state, qint32(tile_ready));
    QCOMPARE(f.manager->find_tile(2, 1, 2)->attempts, 0);
    // In a later run too.
    f.manager.reset(new tile_manager(&f.network, f.cache.get(), f.server.base_url()));
    for (int i = 0; i < 3; ++i)
        QVERIFY(shows(f.manager->get_tile_pixmap(2, 1, 2), "cached"));
    QTest::qWait(50);
    QCOMPARE(f.network.urls.size(), 0);
    QCOMPARE(f.server.total(), 0);
    QCOMPARE(ready.count(), 0);
}

void test_tile_download::column_minus_one_is_keyed_and_cached_as_wrapped()
{
    fixture f;
    zoom_state view = new_view();
    view.step_up(); // level 2, origin (512, 512)
    view.originX = 0;
    view.originY = 10;
    // A 2 x 2 view at the western edge: columns -1 and 0, row 0 (the far margins reach no further).
    f.paint(view, 2, 2);
    QCOMPARE(f.requested_paths(), (QStringList{"/osm/2/3/0.png", "/osm/2/0/0.png"}));
    QVERIFY(f.wait_idle());
    QVERIFY(QFileInfo::exists(f.cache_file("3_0_2")));
    QVERIFY(QFileInfo::exists(f.cache_file("0_0_2")));
    QVERIFY(f.manager->find_tile(3, 0, 2));
    QVERIFY(!f.manager->find_tile(-1, 0, 2));
}

void test_tile_download::user_agent_is_sent()
{
    fixture f;
    f.manager->get_tile_pixmap(0, 0, 0);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.user_agents().size(), 1);
    const QByteArray agent = f.server.user_agents().first();
    QVERIFY2(agent.startsWith("Dornvale/v0.1.3 ("), agent.constData());
    QVERIFY2(agent.contains("@") && agent.contains("https://"), agent.constData()); // contact part
    QCOMPARE(agent, tile_manager::user_agent());
    QVERIFY(!agent.contains("Mozilla"));
    QCOMPARE(f.server.encodings, QList<QByteArray>{"identity"}); // Qt would inflate a reply unbounded
}

void test_tile_download::ready_tiles_are_held_in_memory()
{
    fixture f;
    // Level 1 in a 512 x 512 view: columns 0 ... 2 (2 wraps to 0), rows 0 ... 2.
    const zoom_state view = new_view();
    f.paint(view, 512, 512);
    QVERIFY(f.wait_idle());
    const int requests = f.network.urls.size();
    QCOMPARE(requests, 6);
    QCOMPARE(f.manager->decoded_count(), 6);

    // With the cache files gone, a repaint still shows every tile: it does not touch the disk.
    QVERIFY(QDir(f.tiles.path() + "/osm").removeRecursively());
    for (int i = 0; i < 3; ++i)
        f.paint(view, 512, 512);
    QCOMPARE(f.network.urls.size(), requests);
    for (int c = 0; c < 2; ++c)
        for (int r = 0; r < 3; ++r)
            QVERIFY(shows(f.manager->get_tile_pixmap(c, r, 1), QString("/osm/1/%1/%2.png").arg(c).arg(r)));

    // A tile read from its cache file is held as well.
    QVERIFY(QDir().mkpath(f.tiles.path() + "/osm"));
    QVERIFY(f.cache->write("0_0_0", tile_test_server::png_for("level 0")));
    QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 0), "level 0"));
    QVERIFY(QFile::remove(f.cache_file("0_0_0")));
    QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 0), "level 0"));
    QCOMPARE(f.network.urls.size(), requests);
}

void test_tile_download::decoded_tiles_are_bounded_least_recently_used_first()
{
    fixture f;
    QCOMPARE(f.manager->memory_limit(), tile_manager::default_memory_limit);
    f.manager->set_memory_limit(2);
    for (int c = 0; c < 4; ++c)
        QVERIFY(f.cache->write(tile_key(c, 0, 2), tile_test_server::png_for(QString::number(c))));

    QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 2), "0"));
    QVERIFY(shows(f.manager->get_tile_pixmap(1, 0, 2), "1"));
    QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 2), "0")); // 0 is now the most recently used
    QVERIFY(shows(f.manager->get_tile_pixmap(2, 0, 2), "2")); // lets 1 go
    QCOMPARE(f.manager->decoded_count(), 2);
    const tile* one = f.manager->find_tile(1, 0, 2);
    QCOMPARE(one->state, qint32(tile_ready)); // state and attempts are kept
    QVERIFY(is_placeholder(*f.manager, one->pixmap));
    QVERIFY(!is_placeholder(*f.manager, f.manager->find_tile(0, 0, 2)->pixmap));

    // Asked again, it is read from the cache: same picture, no download.
    QVERIFY(shows(f.manager->get_tile_pixmap(1, 0, 2), "1"));
    QCOMPARE(f.manager->decoded_count(), 2);
    QVERIFY(is_placeholder(*f.manager, f.manager->find_tile(0, 0, 2)->pixmap));
    QCOMPARE(f.network.urls.size(), 0);

    f.manager->set_memory_limit(1);
    QCOMPARE(f.manager->decoded_count(), 1);
    QVERIFY(!is_placeholder(*f.manager, one->pixmap));
}

void test_tile_download::evicted_tile_without_cache_file_is_fetched_again()
{
    fixture f;
    f.manager->set_memory_limit(1);
    f.manager->get_tile_pixmap(0, 0, 1);
    QVERIFY(f.wait_idle());
    QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 1), "/osm/1/0/0.png"));
    QVERIFY(f.cache->write("1_0_1", tile_test_server::png_for("other")));
    QVERIFY(shows(f.manager->get_tile_pixmap(1, 0, 1), "other")); // lets 0_0_1 go
    QVERIFY(QFile::remove(f.cache_file("0_0_1")));
    QVERIFY(is_placeholder(*f.manager, f.manager->get_tile_pixmap(0, 0, 1)));
    QVERIFY(f.wait_idle());
    QCOMPARE(f.server.count("/osm/1/0/0.png"), 2);
    QCOMPARE(f.manager->find_tile(0, 0, 1)->attempts, 2);
    QVERIFY(shows(f.manager->get_tile_pixmap(0, 0, 1), "/osm/1/0/0.png"));
}

void test_tile_download::destroying_the_manager_with_downloads_in_flight()
{
    fixture f;
    f.server.set_default_answer(tile_test_server::nothing);
    f.paint(new_view(), 640, 480);
    QVERIFY(QTest::qWaitFor([&f]() { return f.server.total() == 6; }, 5000));
    QCOMPARE(f.manager->pending_count(), 6);
    f.manager.reset();
    QTest::qWait(50); // deferred deletions run; nothing calls into the destroyed manager
    QCOMPARE(f.server.total(), 6);
}

void test_tile_download::without_network_tiles_stay_missing()
{
    QTemporaryDir dir;
    tile_cache cache(QDir(dir.path()), "osm");
    tile_manager manager(nullptr, &cache, "http://127.0.0.1:9/");
    QVERIFY(is_placeholder(manager, manager.get_tile_pixmap(0, 0, 1)));
    QCOMPARE(manager.find_tile(0, 0, 1)->state, qint32(tile_failed));
}

void test_tile_download::refused_answers_data()
{
    add_columns<int, QString>("answer", "reason");
    // The image size is read from the PNG header before anything is decoded.
    add_row("513 x 512", int(tile_test_server::png_513),
            "the image is 513 x 512 pixels, more than 512 x 512");
    add_row("tile and 3 MiB more", int(tile_test_server::png_trailer),
            "the reply is larger than 2097152 bytes");
}

void test_tile_download::refused_answers()
{
    auto [answer, reason] = fetch<int, QString>("answer", "reason");
    fixture f;
    log_capture log;
    f.server.set_answer("/osm/1/0/0.png", static_cast<tile_test_server::answer>(answer));
    f.server.set_answer("/osm/1/1/0.png", tile_test_server::png_512);
    f.manager->get_tile_pixmap(0, 0, 1);
    f.manager->get_tile_pixmap(1, 0, 1);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.manager->find_tile(0, 0, 1)->state, qint32(tile_failed));
    QVERIFY(!QFileInfo::exists(f.cache_file("0_0_1")));
    QCOMPARE(log.matching("Error in"), QStringList{QString("Error in QUrl(\"%1\") : \"%2\"")
                                                       .arg(f.server.base_url() + "1/0/0.png", reason)});
    // A tile of 512 x 512 is at the bound: shown and cached.
    QCOMPARE(f.manager->find_tile(1, 0, 1)->state, qint32(tile_ready));
    QCOMPARE(f.manager->get_tile_pixmap(1, 0, 1).size(), QSize(512, 512));
    QCOMPARE(f.cache->read("1_0_1"), tile_test_server::png_for("/osm/1/1/0.png", QSize(512, 512)));
}

void test_tile_download::trickling_server_times_out_and_frees_the_connection()
{
    fixture f;
    log_capture log;
    QCOMPARE(f.manager->request_timeout(), 20000);
    f.manager->set_request_timeout(500);
    f.server.set_default_answer(tile_test_server::trickle);
    QElapsedTimer clock;
    clock.start();
    f.manager->get_tile_pixmap(0, 0, 0);
    QVERIFY(f.wait_idle());
    QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(f.manager->find_tile(0, 0, 0)->state, qint32(tile_failed));
    QCOMPARE(log.matching("Error in"),
             QStringList{QString("Error in QUrl(\"%1\") : \"no complete reply within 0.5 s\"")
                             .arg(f.server.base_url() + "0/0/0.png")});
    // The connection is free again: the next tile is asked for and arrives.
    f.server.set_default_answer(tile_test_server::png);
    f.manager->get_tile_pixmap(0, 0, 1);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.manager->find_tile(0, 0, 1)->state, qint32(tile_ready));
}

void test_tile_download::redirect_followed_on_the_same_host_only()
{
    fixture f;
    log_capture log;
    f.server.set_answer("/osm/1/0/0.png", tile_test_server::redirect_same_host);
    f.server.set_answer("/osm/1/1/0.png", tile_test_server::redirect_other_host);
    f.manager->get_tile_pixmap(0, 0, 1);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.manager->find_tile(0, 0, 1)->state, qint32(tile_ready));
    QCOMPARE(f.server.count("/osm/moved.png"), 1);
    QCOMPARE(f.cache->read("0_0_1"), tile_test_server::png_for("/osm/moved.png"));

    f.manager->get_tile_pixmap(1, 0, 1);
    QVERIFY(f.wait_idle());
    QCOMPARE(f.manager->find_tile(1, 0, 1)->state, qint32(tile_failed));
    QCOMPARE(f.server.count("/osm/1/1/0.png"), 1); // asked once, by its own host name only
    QVERIFY(!QFileInfo::exists(f.cache_file("1_0_1")));
    const QString target = f.server.base_url().replace("127.0.0.1", "localhost") + "1/1/0.png";
    QCOMPARE(log.matching("Error in"),
             QStringList{QString("Error in QUrl(\"%1\") : \"redirect to %2 refused: only http or https on the "
                                 "same host is followed\"")
                             .arg(f.server.base_url() + "1/1/0.png", target)});
}

void test_tile_download::cache_file_failing_the_checks_is_deleted()
{
    fixture f;
    const QList<QByteArray> bad = {tile_test_server::png_for("/x", QSize(513, 512)),
                                   tile_test_server::png_for("/x", QSize(256, 16000)),
                                   tile_test_server::png_for("/x") + QByteArray(3 << 20, 'x'),
                                   QByteArray("<html>captive portal</html>")};
    for (const QByteArray& content : bad) {
        QVERIFY(f.cache->write("0_0_1", content));
        tile_manager offline(nullptr, f.cache.get(), f.server.base_url());
        QVERIFY(is_placeholder(offline, offline.get_tile_pixmap(0, 0, 1)));
        QVERIFY(!QFileInfo::exists(f.cache_file("0_0_1")));
    }
    // A good one stays.
    QVERIFY(f.cache->write("0_0_1", tile_test_server::png_for("/x", QSize(512, 512))));
    tile_manager offline(nullptr, f.cache.get(), f.server.base_url());
    QCOMPARE(offline.get_tile_pixmap(0, 0, 1).size(), QSize(512, 512));
    QVERIFY(QFileInfo::exists(f.cache_file("0_0_1")));
    QCOMPARE(f.server.total(), 0);
}

QTEST_MAIN(test_tile_download)
#include "test_tile_download.moc"

// Benchmark (not a test): the tile manager asked for the 40 tiles of a 1600 x 1000 map view,
// 1,000 times, with every tile cached on disk. Reports microseconds per tile request for the first
// pass (each tile read from its cache file and decoded) and for the passes after it (decoded tiles
// held in memory), and, for comparison, the cost when every request reads and decodes the cache
// file again (the behaviour before decoded tiles were held).
#include "bench_support.h"
#include "tiles/tile_cache.h"
#include "tiles/tile_manager.h"
#include "tiles/tile_math.h"
#include "map/zoom_state.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct address
{
    int x;
    int y;
    int level;
};

// A tile with some structure (roads, blocks, labels), so its PNG is of a realistic size.
QByteArray make_tile_png(int seed)
{
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(242, 239, 233));
    QRandomGenerator random(static_cast<quint32>(seed));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 25; ++i) {
        painter.setBrush(
            QColor(200 + random.bounded(40), 200 + random.bounded(40), 190 + random.bounded(40)));
        painter.setPen(Qt::NoPen);
        painter.drawRect(random.bounded(256), random.bounded(256), 10 + random.bounded(40),
                         10 + random.bounded(40));
    }
    for (int i = 0; i < 12; ++i) {
        painter.setPen(QPen(QColor(255, 255, 255), 2 + random.bounded(5)));
        painter.drawLine(random.bounded(256), random.bounded(256), random.bounded(256), random.bounded(256));
    }
    painter.setPen(QColor(80, 80, 80));
    for (int i = 0; i < 4; ++i)
        painter.drawText(random.bounded(200), 20 + random.bounded(220), QStringLiteral("Street %1").arg(i));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

double ask_all(tile_manager& manager, const std::vector<address>& view, int passes, qint64* checksum)
{
    QElapsedTimer timer;
    timer.start();
    for (int pass = 0; pass < passes; ++pass)
        for (const address& a : view)
            *checksum += manager.get_tile_pixmap(a.x, a.y, a.level).cacheKey();
    return timer.nsecsElapsed() / 1000.0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qSetMessagePattern("%{message}");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // quiet

    // A 1600 x 1000 view at level 12 over central Europe, placed so that it shows 8 x 5 tiles.
    zoom_state view;
    view.step_up();
    view.go_to_level(12);
    const map_scale scale = view.scale();
    const qint64 cx = static_cast<qint64>(longitude_to_map_x(8.68, scale));
    const qint64 cy = static_cast<qint64>(latitude_to_map_y(50.11, scale));
    view.originX = (cx / 256) * 256 + 800 + 200; // left edge 200 pixels into a tile: 8 columns
    view.originY = (cy / 256) * 256 + 500;       // top edge on a tile boundary: 5 rows
    const tile_range range = view.visible_tiles(1600, 1000);
    std::vector<address> tiles;
    for (qint64 c = range.c0; c <= range.c1; ++c)
        for (qint64 r = range.r0; r <= range.r1; ++r)
            tiles.push_back(
                address{wrap_column(c, view.currentLevel), static_cast<int>(r), view.currentLevel});
    if (tiles.size() != 40) {
        std::fprintf(stderr, "expected 40 tiles, got %zu\n", tiles.size());
        return 1;
    }

    // Generated data stays in bench-data/ (git-ignored) below the working directory.
    const QString data_dir = QDir::current().absoluteFilePath(QStringLiteral("bench-data/tile_manager"));
    QDir().mkpath(data_dir);
    tile_cache cache{QDir(data_dir), QStringLiteral("osm")};
    qint64 bytes = 0;
    for (size_t i = 0; i < tiles.size(); ++i) {
        const QByteArray png = make_tile_png(static_cast<int>(i));
        bytes += png.size();
        cache.write(tile_key(tiles[i].x, tiles[i].y, tiles[i].level), png);
    }
    // No server: every tile is on disk, so nothing may be requested.
    QNetworkAccessManager network;
    const QString nowhere = QStringLiteral("http://127.0.0.1:9/osm/");
    qint64 checksum = 0;
    const int passes = 1000;
    const double n = static_cast<double>(tiles.size());

    // First pass of a fresh manager (read + decode), median of 5 fresh managers; then the other
    // 999 passes of the last one.
    std::vector<double> first;
    double later = 0;
    int pending = 0;
    int decoded = 0;
    for (int round = 0; round < 5; ++round) {
        tile_manager manager(&network, &cache, nowhere);
        first.push_back(ask_all(manager, tiles, 1, &checksum) / n);
        if (round == 4) {
            later = ask_all(manager, tiles, passes - 1, &checksum) / (n * (passes - 1));
            pending = manager.pending_count();
            decoded = manager.decoded_count();
        }
    }
    std::sort(first.begin(), first.end());

    // For comparison: every request reads and decodes the cache file (no tile held in memory).
    double uncached = 0;
    {
        tile_manager manager(&network, &cache, nowhere);
        manager.set_memory_limit(1);
        uncached = ask_all(manager, tiles, 20, &checksum) / (n * 20);
        pending += manager.pending_count();
    }

    std::printf("tile_manager: %zu tiles of a 1600 x 1000 view at level %d, %d passes, PNG tiles of %lld "
                "bytes on average\n",
                tiles.size(), view.currentLevel, passes,
                static_cast<long long>(bytes / static_cast<qint64>(tiles.size())));
    std::printf("  first pass (cache file read and decoded): %8.2f us per tile request (median of 5 runs)\n",
                first[2]);
    std::printf("  after the first decode (held in memory):   %8.3f us per tile request (%d passes)\n", later,
                passes - 1);
    std::printf(
        "  re-read and re-decode on every request:    %8.2f us per tile request (nothing held in memory)\n",
        uncached);
    std::printf("  decoded tiles held: %d, downloads started: %d, peak memory %.1f MiB (checksum %lld)\n",
                decoded, pending, static_cast<double>(bench_support::peak_mib()),
                static_cast<long long>(checksum & 0xffff));
    return pending == 0 ? 0 : 1;
}

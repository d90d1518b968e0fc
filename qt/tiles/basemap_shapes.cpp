#include "tiles/basemap_shapes.h"

#include "data/io/fatal.h"
#include "tiles/tile_math.h"

#include <QDataStream>
#include <QFile>

#include <algorithm>

// Outside any namespace, as Q_INIT_RESOURCE requires; the resource lives in a static library.
static void init_basemap_resource()
{
    Q_INIT_RESOURCE(basemap);
}

namespace {

QRectF bounds_of(const std::vector<QPointF>& points)
{
    double x0 = points.front().x(), x1 = x0, y0 = points.front().y(), y1 = y0;
    for (const QPointF& p : points) {
        x0 = std::min(x0, p.x());
        x1 = std::max(x1, p.x());
        y0 = std::min(y0, p.y());
        y1 = std::max(y1, p.y());
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

// Reads count records of quantized (dx, dy) steps into shapes; false when the stream runs short.
bool read_shapes(QDataStream& in, quint32 count, const double transform[4],
                 std::vector<basemap_shapes::shape>& out)
{
    for (quint32 i = 0; i < count; ++i) {
        quint32 n = 0;
        in >> n;
        if (in.status() != QDataStream::Ok || n > (1u << 24))
            return false;
        basemap_shapes::shape s;
        s.points.reserve(n);
        qint32 x = 0, y = 0;
        for (quint32 k = 0; k < n; ++k) {
            qint32 dx = 0, dy = 0;
            in >> dx >> dy;
            x += dx;
            y += dy;
            s.points.emplace_back(longitude_to_unit_x(x * transform[0] + transform[2]),
                                  latitude_to_unit_y(y * transform[1] + transform[3]));
        }
        if (in.status() != QDataStream::Ok)
            return false;
        if (n >= 2) {
            s.bounds = bounds_of(s.points);
            out.push_back(std::move(s));
        }
    }
    return true;
}

std::vector<basemap_shapes::shape> simplified(const std::vector<basemap_shapes::shape>& shapes, double pixel,
                                              bool rings)
{
    const double step2 = (pixel / 1.5) * (pixel / 1.5);
    std::vector<basemap_shapes::shape> out;
    for (const basemap_shapes::shape& s : shapes) {
        if (rings && s.bounds.width() < pixel && s.bounds.height() < pixel)
            continue;
        basemap_shapes::shape kept;
        kept.bounds = s.bounds;
        kept.points.push_back(s.points.front());
        for (std::size_t i = 1; i + 1 < s.points.size(); ++i) {
            const QPointF d = s.points[i] - kept.points.back();
            if (d.x() * d.x() + d.y() * d.y() >= step2)
                kept.points.push_back(s.points[i]);
        }
        kept.points.push_back(s.points.back());
        if (kept.points.size() >= (rings ? 4u : 2u))
            out.push_back(std::move(kept));
    }
    return out;
}

} // namespace

std::unique_ptr<basemap_shapes> basemap_shapes::parse(const QByteArray& file, QString& error)
{
    const QByteArray body = qUncompress(file);
    QDataStream in(body);
    in.setByteOrder(QDataStream::LittleEndian);
    in.setFloatingPointPrecision(QDataStream::DoublePrecision);
    char magic[4] = {};
    quint32 version = 0;
    if (in.readRawData(magic, 4) != 4 || QByteArray(magic, 4) != "DVBM") {
        error = QStringLiteral("not a basemap file");
        return nullptr;
    }
    in >> version;
    double transform[4] = {};
    quint32 rings = 0, lines = 0;
    in >> transform[0] >> transform[1] >> transform[2] >> transform[3] >> rings >> lines;
    auto shapes = std::make_unique<basemap_shapes>();
    if (version != 1 || !read_shapes(in, rings, transform, shapes->whole_.rings) ||
        !read_shapes(in, lines, transform, shapes->whole_.lines)) {
        error = QStringLiteral("the basemap file is damaged");
        return nullptr;
    }
    return shapes;
}

const basemap_shapes& basemap_shapes::shared()
{
    static const std::unique_ptr<basemap_shapes> loaded = [] {
        init_basemap_resource();
        QFile file(QStringLiteral(":/basemap/natural_earth_50m.bin"));
        QString error = QStringLiteral("cannot read the resource");
        std::unique_ptr<basemap_shapes> shapes;
        if (file.open(QIODevice::ReadOnly))
            shapes = parse(file.readAll(), error);
        if (!shapes)
            fatal(("basemap: " + error).toStdString());
        return shapes;
    }();
    return *loaded;
}

const basemap_shapes::set& basemap_shapes::at_level(int level) const
{
    if (level >= simplified_levels)
        return whole_;
    const int l = std::max(0, level);
    if (!simplified_[l]) {
        const double pixel = 1.0 / (256.0 * static_cast<double>(power_of_two(l)));
        simplified_[l] = std::make_unique<set>(
            set{simplified(whole_.rings, pixel, true), simplified(whole_.lines, pixel, false)});
    }
    return *simplified_[l];
}

#include "views/labels/label_band.h"

#include "data/labels/label_segments.h"
#include "data/labels/label_set.h"
#include "data/model/burst_space.h"
#include "views/burst/burst_view_state.h"

#include <QColor>
#include <QPainter>

#include <algorithm>

namespace {

const QColor band_background(236, 236, 236);
const QColor unknown_label(110, 110, 110);

// The first index at or after from whose element is not before key, searched in steps doubling from
// from; the elements from `from` on that are before key come first.
template <typename T, typename K, typename Before>
std::size_t gallop(const std::vector<T>& v, std::size_t from, K key, Before before)
{
    std::size_t step = 1;
    while (from + step < v.size() && before(v[from + step], key))
        step *= 2;
    const auto it = std::partition_point(v.begin() + std::ptrdiff_t(from + step / 2),
                                         v.begin() + std::ptrdiff_t(std::min(v.size(), from + step)),
                                         [&](const T& e) { return before(e, key); });
    return std::size_t(it - v.begin());
}

} // namespace

label_band::label_band(const label_segments& segments, const label_set& set, const QString& animal, int row,
                       bool light)
    : segments_(segments), set_(set), animal_(animal), row_(row), light_(light)
{
}

void label_band::paint(QPainter& painter, const frame& f) const
{
    const int top = f.height - (row_ + 1) * height;
    if (top < 0 || f.last < f.first || f.width <= 0)
        return;
    // One image row coloured column by column, copied down the band and shown in one blit: a fill
    // per column costs milliseconds when every column holds another label.
    if (strip_.width() != f.width)
        strip_ = QImage(f.width, height, QImage::Format_RGB32);
    QRgb* const line = reinterpret_cast<QRgb*>(strip_.scanLine(1));
    const QRgb background = band_background.rgb();
    std::fill(line, line + f.width, background);
    const std::vector<qint64>& starts = f.space.timestamps();
    const std::vector<label_segment>& segments = segments_.of(animal_);
    if (!segments.empty()) {
        // Columns go forward in time: bursts and segments are found by galloping on from the last.
        const std::vector<qint32>& firsts = f.space.first_samples();
        std::size_t b = 0;   // firsts[b] <= p once found
        std::size_t s = 0;   // the first segment ending after the burst's start
        const label_segment* coloured = nullptr;
        QRgb colour = background;
        for (int x = 0; x < f.width; ++x) {
            const qint32 p = burst_view_state::position_at(f.left + x * f.per_pixel);
            if (p < 0 || p >= f.space.total_sample_count())
                continue;
            b = gallop(firsts, b, p, [](qint32 first, qint32 q) { return first <= q; }) - 1;
            const qint64 t = starts[b];
            s = gallop(segments, s, t, [](const label_segment& g, qint64 u) { return g.end_ms <= u; });
            if (s >= segments.size())
                break;
            if (segments[s].start_ms > t)
                continue;
            if (&segments[s] != coloured) {
                coloured = &segments[s];
                colour = colour_of(coloured->label);
            }
            line[x] = colour;
        }
    }
    std::fill(reinterpret_cast<QRgb*>(strip_.scanLine(0)), reinterpret_cast<QRgb*>(strip_.scanLine(0)) + f.width,
              background);
    for (int y = 2; y < height; ++y)
        std::copy(line, line + f.width, reinterpret_cast<QRgb*>(strip_.scanLine(y)));
    painter.drawImage(QPoint(0, top), strip_);
}

QRgb label_band::colour_of(const QString& label) const
{
    const label_def* def = set_.find(label);
    QColor colour = def ? QColor::fromRgb(def->rgb) : unknown_label;
    if (light_)
        colour = QColor::fromHsv(colour.hsvHue(), colour.hsvSaturation() * 2 / 5, 255 - (255 - colour.value()) / 3);
    return colour.rgb();
}

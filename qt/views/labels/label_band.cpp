#include "views/labels/label_band.h"

#include "data/labels/label_segments.h"
#include "data/labels/label_set.h"
#include "data/model/burst_space.h"
#include "views/burst/burst_view_state.h"

#include <QColor>
#include <QPainter>

namespace {

const QColor band_background(236, 236, 236);
const QColor unknown_label(110, 110, 110);

} // namespace

label_band::label_band(const label_segments& segments, const label_set& set, const QString& animal, int row,
                       bool light)
    : segments_(segments), set_(set), animal_(animal), row_(row), light_(light)
{
}

void label_band::paint(QPainter& painter, const frame& f) const
{
    const int top = f.height - (row_ + 1) * height;
    if (top < 0 || f.last < f.first)
        return;
    painter.fillRect(QRect(0, top, f.width, height), band_background);
    if (segments_.of(animal_).empty())
        return;
    const std::vector<qint64>& starts = f.space.timestamps();
    const label_segment* run = nullptr;
    int run_x = 0;
    QColor colour;
    auto close_run = [&](int x) {
        if (run && x > run_x)
            painter.fillRect(QRect(run_x, top + 1, x - run_x, height - 1), colour);
    };
    // Columns sharing a burst share its segment; a lookup per column bounds the work by the width.
    qint32 burst = -2;
    const label_segment* segment = nullptr;
    for (int x = 0; x < f.width; ++x) {
        const qint32 p = burst_view_state::position_at(f.left + x * f.per_pixel);
        const qint32 b = p < f.space.total_sample_count() ? f.space.burst_index_for_sample(p) : -1;
        if (b != burst) {
            burst = b;
            segment = b < 0 ? nullptr : segments_.segment_at(animal_, starts[std::size_t(b)]);
        }
        if (segment == run)
            continue;
        close_run(x);
        run = segment;
        run_x = x;
        if (run) {
            const label_def* def = set_.find(run->label);
            colour = def ? QColor::fromRgb(def->rgb) : unknown_label;
            if (light_)
                colour = QColor::fromHsv(colour.hsvHue(), colour.hsvSaturation() * 2 / 5, 255 - (255 - colour.value()) / 3);
        }
    }
    close_run(f.width);
}

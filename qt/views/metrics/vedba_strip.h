#pragma once

#include "data/metrics/burst_metrics.h"
#include "views/burst/burst_overlay.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <vector>

// One VeDBA value per burst as a strip of bars along the bottom of the burst view, above a margin
// kept for bands below it: each pixel column shows the largest VeDBA of the bursts it covers, scaled
// so that the 99.5th percentile of all bursts fills the strip (higher ones are cut).
class vedba_strip : public burst_overlay
{
public:
    static constexpr int height = 36;

    explicit vedba_strip(int bottom_margin);

    // The VeDBA of each burst, in unit ("g" or "raw").
    void set_values(const std::vector<burst_metrics>& metrics, const QString& unit);
    bool has_values() const { return !values_.empty(); }
    const std::vector<float>& values() const { return values_; }

    void paint(QPainter& painter, const frame& f) const override;
    // The caption's box (top left in the strip, in a font 0.8 times font), null while nothing is drawn.
    QRect text_rect(const frame& f, const QFont& font) const override;

private:
    static constexpr qint32 block = 64;
    int bottom_margin_;
    std::vector<float> values_;
    std::vector<float> block_max_; // of values_[k * block ... (k + 1) * block - 1]
    float top_ = 1;
    static QFont caption_font(const QFont& font);
    QString caption_;
    mutable QImage bars_; // kept between paints so a repaint allocates nothing
};

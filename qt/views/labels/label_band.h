#pragma once

#include "views/burst/burst_overlay.h"

#include <QString>

class label_segments;
class label_set;

// The labels of one animal as a coloured band along the bottom of the burst view: each pixel column
// takes the colour of the label of the burst at its left edge. Row 0 lies at the bottom, row 1 above
// it; a light band (predictions, say) is drawn paler.
class label_band : public burst_overlay
{
public:
    static constexpr int height = 10;

    // segments and set are not owned and must outlive the band.
    label_band(const label_segments& segments, const label_set& set, const QString& animal, int row = 0,
               bool light = false);

    void paint(QPainter& painter, const frame& f) const override;

private:
    const label_segments& segments_;
    const label_set& set_;
    QString animal_;
    int row_;
    bool light_;
};

#pragma once

#include "data/tracks/track_colouring.h"

#include <QString>

#include <utility>
#include <vector>

// The ends of a colour scale over values (NaN ignored). Time runs from the first to the last fix
// (min-max); speed, height and VeDBA from the 2nd to the 98th percentile (nearest rank), so a few
// absurd fixes do not squeeze every other into one colour. Empty without finite values.
class value_scale
{
public:
    value_scale() = default;
    value_scale(const std::vector<double>& values, track_colouring colouring);

    bool empty() const { return !(low <= high); }
    // Where v lies between the ends, 0 ... 1, clamped (0.5 when the ends are equal; NaN stays NaN).
    double position(double v) const;
    // An end as the legend writes it, with its unit: "2014-05-02 00:00", "12.5 km/h", "450 m".
    QString text(double v) const;

    double low = 1, high = 0;
    track_colouring colouring = track_colouring::track;
    QString unit; // the colouring's (track_colouring_unit) unless set otherwise
    // Behaviour: each value is an index into these names with their colours (0xRRGGBB); the ends
    // are 0 and the last index.
    std::vector<std::pair<QString, quint32>> categories;

    static constexpr double low_percentile = 2, high_percentile = 98;

    // The behaviour scale of several tracks: one list of the behaviours present on any of them, in the
    // order met; each track's values (indices into its own names) are mapped into it.
    using named_colours = std::vector<std::pair<QString, quint32>>;
    static value_scale of_behaviours(std::vector<std::vector<double>>& values,
                                     const std::vector<const named_colours*>& names);
};

#pragma once

#include <QtGlobal>

class burst_space;

// A window [first_sample, last_sample] of global sample indices over a burst_space, resolved to the
// bursts it touches (-1: none). Created for a single query; the space must outlive it.
class burst_range
{
public:
    burst_range(const burst_space& space, qint32 first_sample, qint32 last_sample);

    // Extremes of the three axes inside the window. A burst shorter than the window contributes its
    // stored extremes whole; other bursts are scanned over the samples inside the window only.
    // With no burst the minima stay 3.4028235e38 and the maxima -3.4028235e38.
    void value_range(float& min_x, float& max_x, float& min_y, float& max_y, float& min_z, float& max_z,
                     bool& spans_several_bursts) const;

    const burst_space& space;
    const qint32 first_sample;
    const qint32 last_sample;
    qint32 first_burst;
    qint32 last_burst;
};

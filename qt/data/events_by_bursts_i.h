#pragma once

#include <QtGlobal>

// How many GPS fixes belong to a burst. Owners hold implementations through this interface.
class events_by_bursts_i
{
public:
    virtual ~events_by_bursts_i() = default;

    // Number of fixes assigned to burst index; -1 counts the fixes before the first burst.
    virtual qint32 event_count(qint32 burst_index) const = 0;

    // Fixes of the bursts first ... last inclusive, in one step (the burst view asks this per
    // pixel column). The default sums event_count; implementations answer it faster.
    virtual qint64 event_count_range(qint32 first, qint32 last) const;
};

#pragma once

#include <QtGlobal>

struct gps_event;

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

    // The first fix (file order) of burst_index, exact set; else the fix nearest in time to
    // burst_start (the burst's start time) among the bursts before and after, exact cleared; null
    // when there are no fixes. The default has none.
    virtual const gps_event* fix_for_burst(qint32 burst_index, qint64 burst_start, bool& exact) const;
};

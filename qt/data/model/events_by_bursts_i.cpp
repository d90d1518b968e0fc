#include "data/model/events_by_bursts_i.h"

qint64 events_by_bursts_i::event_count_range(qint32 first, qint32 last) const
{
    qint64 sum = 0;
    for (qint32 i = first; i <= last; ++i)
        sum += event_count(i);
    return sum;
}

const gps_event* events_by_bursts_i::fix_for_burst(qint32, qint64, bool& exact) const
{
    exact = false;
    return nullptr;
}

#include "data/model/events_by_bursts_empty.h"

qint32 events_by_bursts_empty::event_count(qint32) const
{
    return 0;
}

qint64 events_by_bursts_empty::event_count_range(qint32, qint32) const
{
    return 0;
}

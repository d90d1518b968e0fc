#pragma once

#include "data/model/events_by_bursts_i.h"

// Null object for data sets opened without GPS: no burst has fixes.
class events_by_bursts_empty : public events_by_bursts_i
{
public:
    qint32 event_count(qint32 burst_index) const override;
    qint64 event_count_range(qint32 first, qint32 last) const override;
};

#pragma once

#include "data/model/events_by_bursts_i.h"

#include <utility>
#include <vector>

class burst_space;
class event_space;
struct gps_event;

// GPS fixes keyed by the burst they fall in: the last burst that started at or before the fix
// (-1 before the first burst). Refers to the events without owning them; the event_space must
// outlive it.
class events_by_bursts : public events_by_bursts_i
{
public:
    events_by_bursts(const event_space& events, const burst_space& bursts);

    qint32 event_count(qint32 burst_index) const override;
    // Logarithmic: two bisections over the sorted keys.
    qint64 event_count_range(qint32 first, qint32 last) const override;
    // Logarithmic, plus the fixes of the two neighbouring keys.
    const gps_event* fix_for_burst(qint32 burst_index, qint64 burst_start, bool& exact) const override;

    // (burst index, fix) in key order; fixes of one key keep their file order.
    const std::vector<std::pair<qint32, const gps_event*>>& entries() const { return entries_; }

private:
    std::vector<std::pair<qint32, const gps_event*>> entries_;
    std::vector<qint32> keys_;
};

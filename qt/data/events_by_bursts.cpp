#include "data/events_by_bursts.h"

#include "data/burst_space.h"
#include "data/event_space.h"

#include <algorithm>

events_by_bursts::events_by_bursts(const event_space& events, const burst_space& bursts)
{
    entries_.reserve(events.events().size());
    for (const gps_event* event : events.events())
        entries_.emplace_back(bursts.burst_index_for_timestamp(event->timestamp), event);
    // Stable, so fixes under one key stay in file order, as in an ordered multimap.
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    keys_.reserve(entries_.size());
    for (const auto& entry : entries_)
        keys_.push_back(entry.first);
}

qint32 events_by_bursts::event_count(qint32 burst_index) const
{
    const auto range = std::equal_range(keys_.begin(), keys_.end(), burst_index);
    return static_cast<qint32>(range.second - range.first);
}

qint64 events_by_bursts::event_count_range(qint32 first, qint32 last) const
{
    if (first > last)
        return 0;
    const auto from = std::lower_bound(keys_.begin(), keys_.end(), first);
    const auto to = std::upper_bound(from, keys_.end(), last);
    return to - from;
}

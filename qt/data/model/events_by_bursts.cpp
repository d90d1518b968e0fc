#include "data/model/events_by_bursts.h"

#include "data/model/burst_space.h"
#include "data/model/event_space.h"
#include "data/model/gps_event.h"

#include <algorithm>
#include <cstdlib>

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

const gps_event* events_by_bursts::fix_for_burst(qint32 burst_index, qint64 burst_start, bool& exact) const
{
    const auto at = std::lower_bound(keys_.begin(), keys_.end(), burst_index);
    const std::size_t i = static_cast<std::size_t>(at - keys_.begin());
    exact = at != keys_.end() && *at == burst_index;
    if (exact)
        return entries_[i].second;
    // Keys follow time, so the candidates are the latest fix of the key before and the earliest of
    // the key after; fixes of one key are in file order, not time order.
    const gps_event* best = nullptr;
    const auto closer = [&](const gps_event* e) {
        if (!best || std::abs(e->timestamp - burst_start) < std::abs(best->timestamp - burst_start))
            best = e;
    };
    if (i > 0) {
        const qint32 key = keys_[i - 1];
        for (std::size_t j = i; j > 0 && keys_[j - 1] == key; --j)
            closer(entries_[j - 1].second);
    }
    if (i < keys_.size()) {
        const qint32 key = keys_[i];
        for (std::size_t j = i; j < keys_.size() && keys_[j] == key; ++j)
            closer(entries_[j].second);
    }
    return best;
}

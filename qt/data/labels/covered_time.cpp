#include "data/labels/covered_time.h"

std::vector<std::pair<qint64, qint64>> covered_time::cover(qint64 start, qint64 end)
{
    std::vector<std::pair<qint64, qint64>> gaps;
    if (end <= start)
        return gaps;
    // The first span that may touch [start, end): the last one starting at or before start.
    auto it = spans_.upper_bound(start);
    if (it != spans_.begin() && std::prev(it)->second >= start)
        --it;
    qint64 from = start;
    qint64 merged_start = start;
    qint64 merged_end = end;
    // Each span met is erased: every span is visited once over all calls.
    while (it != spans_.end() && it->first <= end) {
        if (it->first > from)
            gaps.emplace_back(from, it->first);
        from = std::max(from, it->second);
        merged_start = std::min(merged_start, it->first);
        merged_end = std::max(merged_end, it->second);
        it = spans_.erase(it);
    }
    if (from < end)
        gaps.emplace_back(from, end);
    spans_.emplace(merged_start, merged_end);
    return gaps;
}

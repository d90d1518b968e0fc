#pragma once

#include "data/model/events_by_bursts_i.h"

#include <algorithm>
#include <vector>

// GPS association with given fix counts per burst index (0 elsewhere); range counts by prefix sums.
class counted_events : public events_by_bursts_i
{
public:
    explicit counted_events(const std::vector<qint32>& counts) : prefix(counts.size() + 1, 0)
    {
        for (std::size_t i = 0; i < counts.size(); ++i)
            prefix[i + 1] = prefix[i] + counts[i];
    }

    qint32 event_count(qint32 i) const override { return static_cast<qint32>(event_count_range(i, i)); }

    qint64 event_count_range(qint32 first, qint32 last) const override
    {
        const qint64 n = static_cast<qint64>(prefix.size()) - 1;
        const qint64 a = std::max<qint64>(first, 0);
        const qint64 b = std::min<qint64>(last, n - 1);
        if (a > b)
            return 0;
        return prefix[static_cast<std::size_t>(b + 1)] - prefix[static_cast<std::size_t>(a)];
    }

private:
    std::vector<qint64> prefix;
};

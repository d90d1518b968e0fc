#pragma once

#include <QtGlobal>

#include <map>
#include <utility>
#include <vector>

// The union of half-open time spans [start, end) added so far, for painting rows newest first in
// time proportional to n log n, whatever their order.
class covered_time
{
public:
    // The parts of [start, end) not covered yet, in time order; covers all of it afterwards.
    std::vector<std::pair<qint64, qint64>> cover(qint64 start, qint64 end);

private:
    std::map<qint64, qint64> spans_; // start -> end, disjoint and not touching
};

#pragma once

#include <QtGlobal>

#include <vector>

// The most frequent behaviour of the bursts starting in each of bin_count bins of bin_width ms from
// begin (ms UTC): a class index, or -1 for a bin without classified bursts. A tie goes to the lower
// class index. starts and classes are per burst (classes -1: none).
std::vector<int> bin_behaviours(const std::vector<qint64>& starts, const std::vector<int>& classes,
                                int class_count, qint64 begin, qint64 bin_width, qint64 bin_count);

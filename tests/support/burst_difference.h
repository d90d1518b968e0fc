#pragma once
// Two lists of bursts compared bit for bit, as two reads of one file must agree.
#include "data/model/burst.h"

#include <QString>

#include <cstring>
#include <memory>
#include <vector>

namespace test_support {

// Empty when both lists hold the same bursts to the bit, else the first difference.
inline QString burst_difference(const std::vector<std::unique_ptr<burst>>& a,
                                const std::vector<std::unique_ptr<burst>>& b)
{
    if (a.size() != b.size())
        return QString("burst count %1 vs %2").arg(a.size()).arg(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        const burst& x = *a[i];
        const burst& y = *b[i];
        if (x.start_timestamp != y.start_timestamp || x.sample_count != y.sample_count ||
            std::memcmp(&x.sampling_frequency_per_axis, &y.sampling_frequency_per_axis, sizeof(double)) != 0)
            return QString("burst %1: %2 at %3 Hz, %4 samples vs %5 at %6 Hz, %7 samples")
                .arg(i)
                .arg(x.start_timestamp)
                .arg(x.sampling_frequency_per_axis)
                .arg(x.sample_count)
                .arg(y.start_timestamp)
                .arg(y.sampling_frequency_per_axis)
                .arg(y.sample_count);
        const sample_axis* axes[3][2] = {{&x.x, &y.x}, {&x.y, &y.y}, {&x.z, &y.z}};
        for (const auto& pair : axes) {
            if (pair[0]->size() != pair[1]->size())
                return QString("burst %1: %2 vs %3 values").arg(i).arg(pair[0]->size()).arg(pair[1]->size());
            for (std::size_t k = 0; k < pair[0]->size(); ++k)
                if (std::memcmp(&(*pair[0])[k], &(*pair[1])[k], sizeof(float)) != 0)
                    return QString("burst %1 sample %2: %3 vs %4")
                        .arg(i)
                        .arg(k)
                        .arg((*pair[0])[k])
                        .arg((*pair[1])[k]);
        }
    }
    return QString();
}

} // namespace test_support

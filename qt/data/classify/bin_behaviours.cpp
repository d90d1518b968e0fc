#include "data/classify/bin_behaviours.h"

std::vector<int> bin_behaviours(const std::vector<qint64>& starts, const std::vector<int>& classes,
                                int class_count, qint64 begin, qint64 bin_width, qint64 bin_count)
{
    std::vector<int> counts(size_t(bin_count) * size_t(class_count), 0);
    for (size_t i = 0; i < starts.size(); ++i) {
        if (classes[i] < 0 || classes[i] >= class_count || starts[i] < begin)
            continue;
        const qint64 bin = (starts[i] - begin) / bin_width;
        if (bin < bin_count)
            ++counts[size_t(bin) * size_t(class_count) + size_t(classes[i])];
    }
    std::vector<int> out(size_t(bin_count), -1);
    for (size_t b = 0; b < out.size(); ++b) {
        int best = 0;
        for (int c = 0; c < class_count; ++c) {
            const int n = counts[b * size_t(class_count) + size_t(c)];
            if (n > best) {
                best = n;
                out[b] = c;
            }
        }
    }
    return out;
}

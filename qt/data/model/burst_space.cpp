#include "data/model/burst_space.h"

#include "data/io/fatal.h"
#include "data/io/trace.h"

#include <algorithm>
#include <limits>

namespace {

// Lower-bound lookup shared by both indices: the element equal to key, else the one before the
// first greater element, else the last.
template <typename T> qint32 index_at_or_before(const std::vector<T>& sorted, T key)
{
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), key);
    if (it == sorted.end())
        return static_cast<qint32>(sorted.size()) - 1;
    const auto i = static_cast<qint32>(it - sorted.begin());
    return *it == key ? i : i - 1;
}

} // namespace

burst_entry::burst_entry(qint32 index_, qint32 first_sample_, std::unique_ptr<::burst> burst_)
    : index(index_), first_sample(first_sample_), burst(std::move(burst_))
{
}

burst_space::burst_space(std::vector<std::unique_ptr<burst>>& bursts)
    : begin_timestamp_(std::numeric_limits<qint64>::max()), end_timestamp_(std::numeric_limits<qint64>::min())
{
    const auto earlier = [](const std::unique_ptr<burst>& a, const std::unique_ptr<burst>& b) {
        if (!a || !b)
            return a && !b; // empty handles go last
        return a->start_timestamp < b->start_timestamp;
    };
    if (!std::is_sorted(bursts.begin(), bursts.end(), earlier)) // exports are usually in time order
        std::stable_sort(bursts.begin(), bursts.end(), earlier);
    const auto count = static_cast<std::size_t>(
        std::count_if(bursts.begin(), bursts.end(), [](const auto& b) { return b != nullptr; }));
    entries_.reserve(count);
    first_samples_.reserve(count);
    timestamps_.reserve(count);

    qint64 total = 0;
    for (auto& b : bursts) {
        if (!b)
            continue;
        const qint32 n = b->sample_count;
        const qint64 t = b->start_timestamp;
        if (total + n > std::numeric_limits<qint32>::max())
            fatal("burst_space: 2^31 or more samples; the readers refuse such files");
        entries_.emplace_back(static_cast<qint32>(entries_.size()), static_cast<qint32>(total), std::move(b));
        first_samples_.push_back(static_cast<qint32>(total));
        timestamps_.push_back(t);
        total += n;
        max_burst_sample_count_ = std::max(max_burst_sample_count_, n);
        begin_timestamp_ = std::min(begin_timestamp_, t);
        end_timestamp_ = std::max(end_timestamp_, t);
    }
    total_sample_count_ = static_cast<qint32>(total);

    trace::err("total sample count: ", total_sample_count_);
    trace::err("total burst count: ", entries_.size());
    trace::err("begin timestamp: ", begin_timestamp_);
    trace::err("end timestamp: ", end_timestamp_);
}

qint32 burst_space::burst_index_for_sample(qint32 g) const
{
    return index_at_or_before(first_samples_, g);
}

qint32 burst_space::burst_index_for_timestamp(qint64 t) const
{
    return index_at_or_before(timestamps_, t);
}

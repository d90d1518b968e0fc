#pragma once

#include "data/model/burst.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

// One burst in time order inside a burst_space, with its global sample number and extremes (the
// burst's own).
struct burst_entry
{
    burst_entry(qint32 index, qint32 first_sample, std::unique_ptr<::burst> burst);

    qint32 index;        // position in time order
    qint32 first_sample; // global index of the burst's first sample
    std::unique_ptr<::burst> burst;
    const burst_min_max& extremes() const { return burst->extremes; }
};

// All bursts of one acceleration file in time order, with one global sample index over all of
// them. Built once (on the loader's worker thread), then only read; not copyable.
class burst_space
{
public:
    // Takes every burst of the list (empty handles are ignored) and leaves the list with empty
    // handles. Bursts are sorted by start_timestamp with a stable sort, so equal start times keep
    // their list order. Writes four summary lines to standard error.
    explicit burst_space(std::vector<std::unique_ptr<burst>>& bursts);

    burst_space(const burst_space&) = delete;
    burst_space& operator=(const burst_space&) = delete;

    const std::vector<burst_entry>& entries() const { return entries_; }
    qint32 entry_count() const { return static_cast<qint32>(entries_.size()); }
    // i must lie in [0, entry_count()).
    const burst_entry& entry(qint32 i) const { return entries_[static_cast<std::size_t>(i)]; }
    const std::vector<qint32>& first_samples() const { return first_samples_; }
    const std::vector<qint64>& timestamps() const { return timestamps_; }
    qint64 begin_timestamp() const { return begin_timestamp_; }
    qint64 end_timestamp() const { return end_timestamp_; }
    qint32 total_sample_count() const { return total_sample_count_; }
    qint32 max_burst_sample_count() const { return max_burst_sample_count_; }

    // The burst holding global sample g: -1 before the first sample (and for an empty space), the
    // last burst for every g at or beyond the last burst's first sample. Of several bursts starting
    // at g (bursts without samples), the first.
    qint32 burst_index_for_sample(qint32 g) const;
    // The last burst starting at or before t (the first of several starting exactly at t); -1 before
    // the first burst; the last burst for every t after the last start.
    qint32 burst_index_for_timestamp(qint64 t) const;

    // The tag-local-identifier of the animal of a download of several (its default calibration's
    // tag number); empty for other files.
    QString tag;

private:
    std::vector<burst_entry> entries_;
    std::vector<qint32> first_samples_;
    std::vector<qint64> timestamps_;
    qint64 begin_timestamp_;
    qint64 end_timestamp_;
    qint32 total_sample_count_ = 0;
    qint32 max_burst_sample_count_ = 0;
};

#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <limits>

// The memory the samples of one compressed file (gzip or zip) may take once unpacked: by default half
// of the machine's physical memory, so that a small download cannot exhaust it. A reader reserves the
// bytes of each burst before it allocates them; the first reservation past the limit refuses the
// file, so the samples never hold more than the limit. Plain files have no limit here.
class memory_budget
{
public:
    // The limit in force for new reads; set_bytes(0) restores the default.
    static qint64 bytes();
    static void set_bytes(qint64 limit);
    static qint64 physical_memory();

    // What a sample holds (three floats), and a burst of that many samples with its bookkeeping.
    static constexpr qint64 sample_bytes = 12;
    static qint64 burst_bytes(qint64 samples) { return sample_bytes * samples + 256; }

    memory_budget(const QString& file_name, bool compressed);

    memory_budget(const memory_budget&) = delete;
    memory_budget& operator=(const memory_budget&) = delete;

    // Reserves bytes, from any thread. Throws loader_read_failed past the limit, naming the file and
    // giving the sizes.
    void reserve(qint64 bytes);
    // Gives back bytes reserved for scratch space that is freed again.
    void release(qint64 bytes)
    {
        if (limit_ != std::numeric_limits<qint64>::max())
            used_ -= bytes;
    }

private:
    QString file_name_;
    qint64 limit_;
    std::atomic<qint64> used_{0};
};

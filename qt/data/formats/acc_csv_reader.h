#pragma once

#include "data/io/byte_input.h"
#include "data/model/burst.h"
#include "data/io/trace.h"

#include <QString>

#include <limits>
#include <memory>
#include <vector>

class line_reader;
class loader_progress;

// The reading both acceleration layouts share: one streaming pass over the file, one burst per
// accepted data line, progress per burst, cancellation polled once per line. The two layouts differ
// only in the header check and in where the diagnostics go (the layout record below).
class acc_csv_reader
{
public:
    // Total samples a file may hold: global sample indices are signed 32-bit.
    static constexpr qint64 max_samples = std::numeric_limits<qint32>::max();

    acc_csv_reader(const acc_csv_reader&) = delete;
    acc_csv_reader& operator=(const acc_csv_reader&) = delete;

    // The bursts in file order; the caller moves them out (into a burst_space).
    std::vector<std::unique_ptr<burst>>& bursts() { return bursts_; }
    // Lines left out with a "skip line" message.
    qint64 skipped_lines() const { return skipped_lines_; }

    // Whether a header line is one this reading takes: equal to fixed_header when that is given,
    // and naming each of the four burst columns.
    static bool accepts(const char* begin, const char* end, const char* fixed_header);
    // The fields of a header line, as the "header fields: " log line counts them.
    static std::size_t header_field_count(const char* begin, const char* end);

protected:
    struct layout
    {
        const char* fixed_header; // the whole header line must equal this text; null: any header
        trace::stream log;
        bool log_cancel_in_loop; // writes "loader_progress_cancelled is true" when leaving the loop
    };

    // Throws loader_wrong_header, loader_cancelled, or loader_read_failed (file missing or
    // unreadable, or sample_limit exceeded).
    acc_csv_reader(const byte_input& input, loader_progress* progress, const layout& format,
                   qint64 sample_limit);
    // Reads on from lines, whose header [begin, end) this layout accepts: the one source a loader
    // chain opened and judged. Throws loader_cancelled or loader_read_failed.
    acc_csv_reader(line_reader& lines, const char* begin, const char* end, loader_progress* progress,
                   const layout& format, qint64 sample_limit);

private:
    // Everything after the header check: [b, e) is the header line of lines.
    void read(line_reader& lines, const char* b, const char* e, loader_progress* progress,
              const layout& format, qint64 sample_limit);
    static std::vector<int> header_slots(const char* begin, const char* end, bool fixed);
    static bool feeds_every_column(const std::vector<int>& slot_of_field);

    std::vector<std::unique_ptr<burst>> bursts_;
    qint64 skipped_lines_ = 0;
};

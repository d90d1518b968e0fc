#pragma once

#include "data/io/byte_input.h"
#include "data/model/fixes_left_out.h"
#include "data/model/gps_event.h"

#include <QString>

#include <memory>
#include <vector>

class line_reader;
class loader_progress;

// The reading both GPS layouts share: one streaming pass, one fix per data line that passes the
// quality test (type of fix "3", status "A"), cancellation polled once per line. Diagnostics go to
// standard output. The layouts differ in their accepted headers, column names and quoting.
class gps_csv_reader
{
public:
    gps_csv_reader(const gps_csv_reader&) = delete;
    gps_csv_reader& operator=(const gps_csv_reader&) = delete;

    // The accepted fixes in file order; the caller moves them out (into an event_space).
    std::vector<std::unique_ptr<gps_event>>& events() { return events_; }
    // Data lines that failed the quality test (2D or invalid fixes) or whose position is off the
    // earth, and fixes whose height was out of range.
    const fixes_left_out& left_out() const { return left_out_; }
    // Lines left out with a "skip line" message.
    qint64 skipped_lines() const { return skipped_lines_; }

    // The columns of a layout and the header lines it accepts.
    struct layout
    {
        std::vector<const char*> headers; // the header line must equal one of these
        const char* longitude;
        const char* latitude;
        const char* height; // metres above the ellipsoid
        const char* timestamp;
        const char* type_of_fix;
        const char* status;
        bool unquote_status; // the status is compared without its surrounding quotes
    };

    // Whether the header line is one of the layout's.
    static bool accepts(const char* begin, const char* end, const layout& format);

protected:
    // Throws loader_wrong_header, loader_cancelled, or loader_read_failed (missing or unreadable file).
    gps_csv_reader(const byte_input& input, loader_progress* progress, const layout& format);
    // Reads on from lines, whose header [begin, end) this layout accepts: the one source a loader
    // chain opened and judged. Throws loader_cancelled or loader_read_failed.
    gps_csv_reader(line_reader& lines, const char* begin, const char* end, loader_progress* progress,
                   const layout& format);

private:
    // Everything after the header check: [b, e) is the header line of lines.
    void read(line_reader& lines, const char* b, const char* e, loader_progress* progress,
              const layout& format);
    std::vector<std::unique_ptr<gps_event>> events_;
    qint64 skipped_lines_ = 0;
    fixes_left_out left_out_;
};

#pragma once

#include "data/model/gps_event.h"

#include <QString>

#include <memory>
#include <vector>

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
    // Data lines that failed the quality test (2D or invalid fixes).
    qint64 quality_check_failed() const { return quality_check_failed_; }

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
    gps_csv_reader(const QString& file_name, loader_progress* progress, const layout& format);

private:
    std::vector<std::unique_ptr<gps_event>> events_;
    qint64 quality_check_failed_ = 0;
};

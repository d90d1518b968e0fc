#pragma once

#include "data/io/byte_input.h"
#include "data/model/fixes_left_out.h"
#include "data/model/gps_event.h"
#include "data/formats/animal_groups.h"
#include "data/formats/named_rows.h"

#include <QHash>

class loader_progress;

// Reads a GPS file of the data repository's download layouts: position and time columns named in
// any spelling and order, fields with standard CSV quoting, rows of other sensors skipped, fixes
// grouped by animal. Where the file has a type-of-fix or status column, a fix counts only with type
// "3" and status "A"; otherwise every row with a position counts. Diagnostics go to standard output.
class loader_named_gps
{
public:
    // Throws loader_wrong_header, loader_cancelled, or loader_read_failed (missing or unreadable file).
    loader_named_gps(const byte_input& input, loader_progress* progress);
    // Reads on from a loader chain's opened source, whose header [begin, end) accepts() took.
    loader_named_gps(line_reader& lines, const char* begin, const char* end, loader_progress* progress);

    // Whether a header names the position and time columns.
    static bool accepts(const named_columns& columns);

    animal_groups<gps_event>& animals() { return animals_; }
    // Lines left out with a "skip line" message.
    qint64 skipped_lines() const { return skipped_lines_; }
    // The first animal's fixes.
    std::vector<std::unique_ptr<gps_event>>& events() { return animals_.first(); }
    // An animal's rows left out (failing the quality test, without a usable time, off the earth) and
    // heights out of range.
    fixes_left_out left_out(const QString& animal) const { return left_out_.value(animal); }

private:
    loader_named_gps(named_rows&& rows, loader_progress* progress);

    animal_groups<gps_event> animals_;
    qint64 skipped_lines_ = 0;
    QHash<QString, fixes_left_out> left_out_;
};

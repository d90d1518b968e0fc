#pragma once

#include <QString>
#include <QtGlobal>

class QIODevice;
class sun_schedule;
struct rhythm_figures;

// The header line of a rhythm summary, with its line end.
extern const char rhythm_summary_header[];
// The header line of a per-day sun table, with its line end.
extern const char sun_table_header[];

// One summary line (with its line end) of the figures of file: a figure not computed (too few days,
// no variance) is "NA"; the file quoted as csv_quoted_for_sheets quotes it.
QString rhythm_summary_row(const QString& file, const rhythm_figures& figures);

// Writes the header and one line per day of sun: the day's date on the clock utc_offset_ms ahead
// of UTC, its position and its sunrise and sunset (UTC, ISO 8601, whole seconds); a day without
// them says "polar day" or "polar night" in both. False with the device's error text in error.
bool write_sun_table(const sun_schedule& sun, qint64 plot_begin, qint64 utc_offset_ms, QIODevice& out,
                     QString* error);

#include "data/formats/loader_named_gps.h"

#include "data/formats/csv_field.h"
#include "data/io/loader_cancelled.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_wrong_header.h"
#include "data/formats/start_time_repair.h"
#include "data/io/trace.h"
#include "data/model/fix_range.h"

#include <cmath>
#include <limits>

namespace {

using field = named_rows::field;

// Whether the column is absent or its unquoted text is the wanted one.
bool absent_or(const std::vector<field>& fields, int column, const char* wanted)
{
    if (column < 0)
        return true;
    const field text = named_rows::unquoted(fields, column);
    return csv_field::equals(text.first, text.second, wanted);
}

} // namespace

bool loader_named_gps::accepts(const named_columns& columns)
{
    return columns.find("location_long") >= 0 && columns.find("location_lat") >= 0 &&
           columns.find("timestamp") >= 0;
}

loader_named_gps::loader_named_gps(const byte_input& input, loader_progress* progress)
    : loader_named_gps(named_rows(input, progress), progress)
{
}

loader_named_gps::loader_named_gps(line_reader& lines, const char* begin, const char* end,
                                   loader_progress* progress)
    : loader_named_gps(named_rows(lines, begin, end, progress), progress)
{
}

loader_named_gps::loader_named_gps(named_rows&& rows, loader_progress* progress)
{
    const named_columns& columns = rows.columns();
    if (!accepts(columns))
        throw loader_wrong_header();
    const int longitude = columns.find("location_long");
    const int latitude = columns.find("location_lat");
    const int timestamp = columns.find("timestamp");
    const int height = columns.find("height_above_ellipsoid");
    const int type_of_fix = columns.find("eobs_type_of_fix");
    const int status = columns.find("eobs_status");
    trace::out("header fields: ", columns.size());
    QTextCodec* codec = rows.codec();

    qint64 quality_check_failed = 0;
    qint64 unusable_times = 0;
    qint64 off_the_earth = 0;
    qint64 good = 0;
    std::vector<field> fields;
    while (rows.next_of("gps", fields, progress)) {
        const field lon = named_rows::unquoted(fields, longitude);
        const field lat = named_rows::unquoted(fields, latitude);
        if (lon.first == lon.second || lat.first == lat.second || !absent_or(fields, type_of_fix, "3") ||
            !absent_or(fields, status, "A")) {
            ++quality_check_failed;
            ++left_out_[QString::fromUtf8(rows.animal(fields))].two_d_or_invalid;
            // An animal all of whose fixes are left out still gets its (empty) track, so it is said.
            animals_.find_or_add(rows.animal(fields));
            continue;
        }
        // A fix is placed by its own time: without a usable one it has no place on the track.
        const qint64 t = rows.time_of(fields, timestamp);
        if (!start_time_repair::usable(t)) {
            ++unusable_times;
            ++left_out_[QString::fromUtf8(rows.animal(fields))].no_time;
            animals_.find_or_add(rows.animal(fields));
            continue;
        }
        auto event = std::make_unique<gps_event>();
        event->timestamp = t;
        event->longitude = csv_field::to_double(lon.first, lon.second, codec);
        event->latitude = csv_field::to_double(lat.first, lat.second, codec);
        if (!fix_range::placed(event->longitude, event->latitude)) {
            ++off_the_earth;
            ++left_out_[QString::fromUtf8(rows.animal(fields))].off_the_earth;
            animals_.find_or_add(rows.animal(fields));
            continue;
        }
        if (height >= 0) {
            const field h = named_rows::unquoted(fields, height);
            if (h.first != h.second)
                event->height = csv_field::to_double(h.first, h.second, codec);
            if (!std::isnan(event->height) && !fix_range::height_within(event->height)) {
                event->height = std::numeric_limits<double>::quiet_NaN();
                ++left_out_[QString::fromUtf8(rows.animal(fields))].heights;
            }
        }
        animals_.add(rows.animal(fields), std::move(event));
        ++good;
    }

    if (progress->loader_progress_cancelled()) {
        trace::out("loader was cancelled!");
        throw loader_cancelled();
    }
    trace::out("lines: ", rows.line_count());
    trace::out("count_quality_check_failed: ", quality_check_failed);
    if (unusable_times > 0)
        trace::out("fixes with a time unreadable or outside 1990-2100 skipped: ", unusable_times);
    if (off_the_earth > 0)
        trace::out("fixes with a position out of range skipped: ", off_the_earth);
    trace::out("good gps events: ", good);
    skipped_lines_ = rows.skipped_lines();
    trace::out("animals: ", animals_.size());
}

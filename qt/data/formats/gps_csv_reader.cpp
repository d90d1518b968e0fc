#include "data/formats/gps_csv_reader.h"

#include "data/formats/csv_field.h"
#include "data/io/line_reader.h"
#include "data/io/loader_cancelled.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/parallel_lines.h"
#include "data/io/skipped_lines_log.h"
#include "data/io/trace.h"
#include "data/model/fix_range.h"

#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace {

using field = std::pair<const char*, const char*>;

// The fields of a line; the caller reuses out.
void split(const char* b, const char* e, std::vector<field>& out)
{
    out.clear();
    csv_field::split_commas(b, e, [&out](std::size_t, const char* fb, const char* fe) {
        out.emplace_back(fb, fe);
        return true;
    });
}

bool equals(const field& f, const char* text)
{
    return csv_field::equals(f.first, f.second, text);
}

// Position of the first header field with that name.
std::size_t column(const std::vector<field>& header, const char* name)
{
    for (std::size_t i = 0; i < header.size(); ++i)
        if (equals(header[i], name))
            return i;
    return 0; // unreachable for the accepted headers, which hold every column
}

// One data line's reading: its field count and, if it passes the quality test, its fix.
struct parsed_fix
{
    std::size_t field_count = 0;
    std::unique_ptr<gps_event> event;
    bool off_the_earth = false;  // passed the test, but its position is out of range
    bool height_dropped = false; // its height was out of range
};

} // namespace

bool gps_csv_reader::accepts(const char* b, const char* e, const layout& format)
{
    for (const char* header : format.headers)
        if (equals(field(b, e), header))
            return true;
    return false;
}

gps_csv_reader::gps_csv_reader(const byte_input& input, loader_progress* progress, const layout& format)
{
    line_reader lines(input, progress);
    const char* b;
    const char* e;
    if (lines.header(b, e) == line_reader::line::cancelled) {
        trace::out("loader was cancelled!");
        throw loader_cancelled();
    }
    if (!accepts(b, e, format))
        throw loader_wrong_header();
    read(lines, b, e, progress, format);
}

gps_csv_reader::gps_csv_reader(line_reader& lines, const char* begin, const char* end,
                               loader_progress* progress, const layout& format)
{
    read(lines, begin, end, progress, format);
}

void gps_csv_reader::read(line_reader& lines, const char* b, const char* e, loader_progress* progress,
                          const layout& format)
{
    QTextCodec* codec = lines.codec();
    qint64 line_counter = 1;
    lines.report_to(progress);

    std::vector<field> header;
    split(b, e, header);
    trace::out("header fields: ", header.size());
    const std::size_t longitude = column(header, format.longitude);
    const std::size_t latitude = column(header, format.latitude);
    const std::size_t height = column(header, format.height);
    const std::size_t timestamp = column(header, format.timestamp);
    const std::size_t type_of_fix = column(header, format.type_of_fix);
    const std::size_t status = column(header, format.status);

    skipped_lines_log skipped(trace::stream::out);
    parallel_lines::run<parsed_fix>(
        lines,
        [&, fields = std::vector<field>()](const char* line_begin, const char* line_end) mutable {
            parsed_fix fix;
            split(line_begin, line_end, fields);
            fix.field_count = fields.size();
            if (fields.size() != header.size())
                return fix;
            field status_text = fields[status];
            if (format.unquote_status)
                csv_field::unquote(status_text.first, status_text.second);
            if (equals(fields[type_of_fix], "3") && equals(status_text, "A")) {
                fix.event = std::make_unique<gps_event>();
                fix.event->timestamp =
                    csv_field::to_utc_msecs(fields[timestamp].first, fields[timestamp].second, codec);
                fix.event->longitude =
                    csv_field::to_double(fields[longitude].first, fields[longitude].second, codec);
                fix.event->latitude =
                    csv_field::to_double(fields[latitude].first, fields[latitude].second, codec);
                if (fields[height].first != fields[height].second)
                    fix.event->height =
                        csv_field::to_double(fields[height].first, fields[height].second, codec);
                fix.height_dropped =
                    !std::isnan(fix.event->height) && !fix_range::height_within(fix.event->height);
                if (fix.height_dropped)
                    fix.event->height = std::numeric_limits<double>::quiet_NaN();
                fix.off_the_earth = !fix_range::placed(fix.event->longitude, fix.event->latitude);
                if (fix.off_the_earth)
                    fix.event.reset();
            }
            return fix;
        },
        [&](parsed_fix&& fix) {
            if (progress->loader_progress_cancelled())
                return false;
            if (fix.field_count != header.size()) {
                if (skipped.count())
                    skipped.add("skip line " + std::to_string(line_counter) +
                                " with wrong number of fields " + std::to_string(fix.field_count));
            } else if (fix.event) {
                left_out_.heights += fix.height_dropped;
                events_.push_back(std::move(fix.event));
            } else if (fix.off_the_earth) {
                ++left_out_.off_the_earth;
            } else {
                ++left_out_.two_d_or_invalid;
            }
            ++line_counter;
            return true;
        },
        [&](line_reader::line unusable) {
            if (unusable == line_reader::line::cancelled)
                return false;
            if (skipped.count())
                skipped.add("skip line " + std::to_string(line_counter) + " " +
                            line_reader::unusable_text(unusable));
            ++line_counter;
            return true;
        });
    skipped.finish();
    skipped_lines_ = skipped.skipped();

    if (progress->loader_progress_cancelled()) {
        trace::out("loader was cancelled!");
        throw loader_cancelled();
    }
    trace::out("lines: ", line_counter);
    trace::out("count_quality_check_failed: ", left_out_.two_d_or_invalid);
    if (left_out_.off_the_earth > 0)
        trace::out("fixes with a position out of range skipped: ", left_out_.off_the_earth);
    trace::out("good gps events: ", events_.size());
}

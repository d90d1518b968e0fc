#include "data/gps_csv_reader.h"

#include "data/csv_field.h"
#include "data/line_reader.h"
#include "data/loader_cancelled.h"
#include "data/loader_progress.h"
#include "data/loader_wrong_header.h"
#include "data/skipped_lines_log.h"

#include <cstring>
#include <iostream>
#include <string>
#include <utility>

namespace {

using field = std::pair<const char*, const char*>;

// Splits at every comma; empty fields are kept and quotes mean nothing.
void split(const char* b, const char* e, std::vector<field>& out)
{
    out.clear();
    for (;;) {
        const void* comma = std::memchr(b, ',', static_cast<std::size_t>(e - b));
        const char* end = comma ? static_cast<const char*>(comma) : e;
        out.emplace_back(b, end);
        if (!comma)
            return;
        b = end + 1;
    }
}

// Coordinates such as "-71.1234567": at most 15 digits make an exact integer and a power of ten up
// to 1e15 is exact, so one division rounds correctly and equals csv_field::to_double; anything
// else is left to it.
double read_double(const char* b, const char* e, QTextCodec* codec)
{
    static const double powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = b != e && *b == '-';
    const char* p = b + negative;
    quint64 digits = 0;
    int count = 0, before_point = -1;
    for (; p != e; ++p) {
        const auto d = static_cast<unsigned char>(*p - '0');
        if (d < 10) {
            digits = digits * 10 + d;
            ++count;
        } else if (*p == '.' && before_point < 0) {
            before_point = count;
        } else {
            count = 16; // not a plain decimal
            break;
        }
    }
    const int fraction = before_point < 0 ? 0 : count - before_point;
    if (count == 0 || count > 15 || before_point == 0 || (before_point > 0 && fraction == 0))
        return csv_field::to_double(b, e, codec);
    const double value = static_cast<double>(digits) / powers_of_ten[fraction];
    return negative ? -value : value;
}

bool equals(const field& f, const char* text)
{
    const std::size_t n = std::strlen(text);
    return static_cast<std::size_t>(f.second - f.first) == n && std::memcmp(f.first, text, n) == 0;
}

// Position of the first header field with that name.
std::size_t column(const std::vector<field>& header, const char* name)
{
    for (std::size_t i = 0; i < header.size(); ++i)
        if (equals(header[i], name))
            return i;
    return 0; // unreachable for the accepted headers, which hold every column
}

} // namespace

gps_csv_reader::gps_csv_reader(const QString& file_name, loader_progress* progress, const layout& format)
{
    line_reader lines(file_name, progress);
    QTextCodec* codec = lines.codec();

    const char* b;
    const char* e;
    if (lines.next(b, e) == line_reader::line::cancelled) {
        std::cout << "loader was cancelled!" << std::endl;
        throw loader_cancelled();
    }
    qint64 line_counter = 1;
    bool accepted = false;
    for (const char* header : format.headers)
        accepted = accepted || equals(field(b, e), header);
    if (!accepted)
        throw loader_wrong_header();

    std::vector<field> header;
    split(b, e, header);
    std::cout << "header fields: " << header.size() << std::endl;
    const std::size_t longitude = column(header, format.longitude);
    const std::size_t latitude = column(header, format.latitude);
    const std::size_t timestamp = column(header, format.timestamp);
    const std::size_t type_of_fix = column(header, format.type_of_fix);
    const std::size_t status = column(header, format.status);

    skipped_lines_log skipped(std::cout);
    qint64 quality_check_failed = 0;
    std::vector<field> fields;
    fields.reserve(header.size() + 1);
    while (!lines.at_end()) {
        if (progress->loader_progress_cancelled())
            break;
        const line_reader::line got = lines.next(b, e);
        if (got == line_reader::line::cancelled)
            continue; // seen at the top of the loop
        if (got != line_reader::line::too_long)
            split(b, e, fields);
        if (got == line_reader::line::too_long) {
            if (skipped.count())
                skipped.add("skip line " + std::to_string(line_counter) + " longer than " +
                            std::to_string(line_reader::default_max_line) + " bytes");
        } else if (fields.size() != header.size()) {
            if (skipped.count())
                skipped.add("skip line " + std::to_string(line_counter) + " with wrong number of fields " +
                            std::to_string(fields.size()));
        } else {
            field status_text = fields[status];
            if (format.unquote_status)
                csv_field::unquote(status_text.first, status_text.second);
            if (equals(fields[type_of_fix], "3") && equals(status_text, "A")) {
                auto event = std::make_unique<gps_event>();
                event->timestamp =
                    csv_field::to_utc_msecs(fields[timestamp].first, fields[timestamp].second, codec);
                event->longitude = read_double(fields[longitude].first, fields[longitude].second, codec);
                event->latitude = read_double(fields[latitude].first, fields[latitude].second, codec);
                events_.push_back(std::move(event));
            } else {
                ++quality_check_failed;
            }
        }
        ++line_counter;
    }
    skipped.finish();

    if (progress->loader_progress_cancelled()) {
        std::cout << "loader was cancelled!" << std::endl;
        throw loader_cancelled();
    }
    std::cout << "lines: " << line_counter << std::endl;
    std::cout << "count_quality_check_failed: " << quality_check_failed << std::endl;
    std::cout << "good gps events: " << events_.size() << std::endl;
}

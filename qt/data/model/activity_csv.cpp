#include "data/model/activity_csv.h"

#include "data/model/activity_calculator.h"
#include "data/model/floor_div.h"

#include <QIODevice>

#include <charconv>
#include <cstdio>
#include <string>

const char activity_csv_header[] = "bin_start_utc,day,bin_of_day,samples,activity\n";

namespace {

// Proleptic Gregorian date of a day count from 1970-01-01 (H. Hinnant's civil_from_days).
void civil_from_days(qint64 z, qint64& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const qint64 era = floor_div(z, 146097);
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<qint64>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
}

void append_time(std::string& line, qint64 ms)
{
    const qint64 days = floor_div(ms, activity_day_ms);
    const qint64 in_day = ms - days * activity_day_ms;
    qint64 y = 0;
    unsigned mo = 0, d = 0;
    civil_from_days(days, y, mo, d);
    const auto s = static_cast<int>(in_day / 1000);
    char buf[48];
    const int n = std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02d", static_cast<long long>(y),
                                mo, d, s / 3600, s / 60 % 60, s % 60);
    line.append(buf, static_cast<std::size_t>(n));
    const auto rest = static_cast<int>(in_day % 1000);
    if (rest != 0) {
        const int r = std::snprintf(buf, sizeof buf, ".%03d", rest);
        line.append(buf, static_cast<std::size_t>(r));
    }
    line += 'Z';
}

template <typename T> void append_number(std::string& line, T value)
{
    char buf[32];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value);
    line.append(buf, r.ptr);
}

bool flush(QIODevice& out, std::string& chunk, QString* error)
{
    if (!chunk.empty() &&
        out.write(chunk.data(), static_cast<qint64>(chunk.size())) != static_cast<qint64>(chunk.size())) {
        if (error)
            *error = out.errorString();
        return false;
    }
    chunk.clear();
    return true;
}

} // namespace

bool write_activity_csv(const activity_calculator& calc, QIODevice& out, QString* error)
{
    std::string chunk(activity_csv_header);
    constexpr std::size_t chunk_size = 1 << 20;
    chunk.reserve(chunk_size + 128);
    qint64 start = calc.plot_begin;
    for (qint64 k = 0; k < calc.bin_count; ++k, start += calc.bin_width) {
        const auto i = static_cast<std::size_t>(k);
        append_time(chunk, start);
        chunk += ',';
        append_number(chunk, k / activity_bins_per_day);
        chunk += ',';
        append_number(chunk, k % activity_bins_per_day);
        chunk += ',';
        append_number(chunk, calc.samples[i]);
        chunk += ',';
        // Shortest text that reads back as the same double.
        append_number(chunk, calc.activities[i]);
        chunk += '\n';
        if (chunk.size() >= chunk_size && !flush(out, chunk, error))
            return false;
    }
    return flush(out, chunk, error);
}

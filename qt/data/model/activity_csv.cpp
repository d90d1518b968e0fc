#include "data/model/activity_csv.h"

#include "data/model/activity_calculator.h"
#include "data/io/utc_time.h"

#include <QIODevice>

#include <charconv>
#include <cstdio>
#include <string>

const char activity_csv_header[] = "bin_start_utc,day,bin_of_day,samples,activity\n";

namespace {

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
        utc_time::append(chunk, start);
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

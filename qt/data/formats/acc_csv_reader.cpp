#include "data/formats/acc_csv_reader.h"

#include "data/formats/burst_axes.h"
#include "data/formats/csv_field.h"
#include "data/io/line_reader.h"
#include "data/io/loader_cancelled.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/memory_budget.h"
#include "data/io/parallel_lines.h"
#include "data/io/skipped_lines_log.h"
#include "data/formats/start_time_repair.h"
#include "data/io/trace.h"

#include <QTextCodec>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace {

struct span
{
    const char* begin = nullptr;
    const char* end = nullptr;
};

enum column { start_timestamp, sampling_frequency, axes, raw_values, column_count };

const std::array<const char*, column_count> column_names = {
    "eobs_start_timestamp", "eobs_acceleration_sampling_frequency_per_axis", "eobs_acceleration_axes",
    "eobs_accelerations_raw"};

const std::array<const char*, column_count> fixed_column_names = {
    "start-timestamp", "acceleration-sampling-frequency-per-axis", "acceleration-axes", "accelerations-raw"};

// Returns the number of fields of the line, or expected + 1 as soon as there are more than
// expected; fills wanted[c] for the fields named in slot_of_field.
int split_line(const char* b, const char* e, const std::vector<int>& slot_of_field, span* wanted)
{
    const std::size_t expected = slot_of_field.size();
    std::size_t fields = 0;
    csv_field::split_commas(b, e, [&](std::size_t field, const char* fb, const char* fe) {
        if (field >= expected) {
            fields = expected + 1;
            return false;
        }
        if (slot_of_field[field] >= 0)
            wanted[slot_of_field[field]] = {fb, fe};
        fields = field + 1;
        return true;
    });
    return static_cast<int>(fields);
}

// One data line's reading: a wrong field count, nothing (no axis letter), or a burst's parts; the
// burst is made in file order, once its start time is settled.
struct parsed_line
{
    bool wrong_field_count = false;
    bool has_data = false;
    qint64 start = 0;
    double frequency = 0;
    burst_axes axes;
    std::optional<burst_min_max> extremes; // taken while the values are at hand, on the parsing thread
};

// pieces is scratch space the caller may reuse.
parsed_line parse_line(const char* b, const char* e, const std::vector<int>& slot_of_field,
                       std::size_t expected_fields, QTextCodec* codec, std::vector<float>& pieces,
                       memory_budget& budget)
{
    parsed_line result;
    span field[column_count];
    if (split_line(b, e, slot_of_field, field) != static_cast<int>(expected_fields)) {
        result.wrong_field_count = true;
        return result;
    }
    span axes_text = field[axes];
    csv_field::unquote(axes_text.begin, axes_text.end);
    span raw = field[raw_values];
    csv_field::unquote(raw.begin, raw.end);
    if (!result.axes.read(axes_text.begin, axes_text.end, raw.begin, raw.end, codec, pieces, budget))
        return result;
    result.has_data = true;
    result.extremes.emplace(result.axes.block.axis(0), result.axes.block.axis(1), result.axes.block.axis(2),
                            result.axes.samples);
    result.frequency =
        csv_field::to_double(field[sampling_frequency].begin, field[sampling_frequency].end, codec);
    result.start = csv_field::to_utc_msecs(field[start_timestamp].begin, field[start_timestamp].end, codec);
    return result;
}

} // namespace

std::vector<int> acc_csv_reader::header_slots(const char* b, const char* e, bool fixed)
{
    // Which header fields feed the four columns (the first field of each name); -1 for the others.
    std::vector<int> slot_of_field;
    std::array<bool, column_count> found{};
    const auto& names = fixed ? fixed_column_names : column_names;
    csv_field::split_commas(b, e, [&](std::size_t, const char* p, const char* field_end) {
        int slot = -1;
        for (int c = 0; c < column_count && slot < 0; ++c) {
            if (!found[c] && csv_field::equals(p, field_end, names[c])) {
                found[c] = true;
                slot = c;
            }
        }
        slot_of_field.push_back(slot);
        return true;
    });
    return slot_of_field;
}

bool acc_csv_reader::feeds_every_column(const std::vector<int>& slot_of_field)
{
    return std::count_if(slot_of_field.begin(), slot_of_field.end(), [](int s) { return s >= 0; }) ==
           column_count;
}

std::size_t acc_csv_reader::header_field_count(const char* b, const char* e)
{
    return header_slots(b, e, false).size();
}

bool acc_csv_reader::accepts(const char* b, const char* e, const char* fixed_header)
{
    if (fixed_header && !csv_field::equals(b, e, fixed_header))
        return false;
    return feeds_every_column(header_slots(b, e, fixed_header != nullptr));
}

acc_csv_reader::acc_csv_reader(const byte_input& input, loader_progress* progress, const layout& format,
                               qint64 sample_limit)
{
    line_reader lines(input, progress);
    const char* b;
    const char* e;
    if (lines.header(b, e) == line_reader::line::cancelled) {
        trace::line(format.log, "loader was cancelled!");
        throw loader_cancelled();
    }
    if (format.fixed_header && !csv_field::equals(b, e, format.fixed_header)) {
        trace::line(format.log, "header mismatch");
        throw loader_wrong_header();
    }
    if (!accepts(b, e, format.fixed_header)) {
        trace::line(format.log, "header fields: ", header_field_count(b, e));
        throw loader_wrong_header();
    }
    read(lines, b, e, progress, format, sample_limit);
}

acc_csv_reader::acc_csv_reader(line_reader& lines, const char* begin, const char* end,
                               loader_progress* progress, const layout& format, qint64 sample_limit)
{
    read(lines, begin, end, progress, format, sample_limit);
}

void acc_csv_reader::read(line_reader& lines, const char* b, const char* e, loader_progress* progress,
                          const layout& format, qint64 sample_limit)
{
    sample_limit = std::min(sample_limit, max_samples);
    QTextCodec* codec = lines.codec();
    const trace::stream log = format.log;
    std::vector<int> slot_of_field = header_slots(b, e, format.fixed_header != nullptr);
    trace::line(log, "header fields: ", slot_of_field.size());
    lines.report_to(progress);

    // Bursts read before the first usable start time wait here until that time is known.
    struct waiting_burst
    {
        double frequency;
        burst_block block;
        burst_min_max extremes;
    };
    std::vector<waiting_burst> waiting;
    start_time_repair times;
    const auto release_waiting = [&](qint64 start) {
        for (waiting_burst& w : waiting)
            bursts_.push_back(burst::make(start, w.frequency, std::move(w.block), w.extremes));
        waiting.clear();
    };

    skipped_lines_log skipped(log);
    const auto stop_for_cancel = [&] {
        skipped.finish();
        if (format.log_cancel_in_loop)
            trace::line(log, "loader_progress_cancelled is true");
        return false;
    };
    const std::size_t expected_fields = slot_of_field.size();
    qint64 total_samples = 0;
    qint32 appended = 0;
    memory_budget budget(lines.file_name(), lines.compressed());
    parallel_lines::run<parsed_line>(
        lines,
        [&slot_of_field, codec, expected_fields, &budget,
         pieces = std::vector<float>()](const char* line_begin, const char* line_end) mutable {
            return parse_line(line_begin, line_end, slot_of_field, expected_fields, codec, pieces, budget);
        },
        [&](parsed_line&& line) {
            if (progress->loader_progress_cancelled())
                return stop_for_cancel();
            if (line.wrong_field_count) {
                if (skipped.count())
                    skipped.add("skip line with wrong number of fields");
                return true;
            }
            if (!line.has_data)
                return true;
            total_samples += static_cast<qint64>(line.axes.samples);
            burst_axes::check_limit(total_samples, sample_limit);
            qint64 start = line.start;
            if (times.take(start)) {
                release_waiting(start);
                bursts_.push_back(
                    burst::make(start, line.frequency, std::move(line.axes.block), *line.extremes));
            } else {
                waiting.push_back(waiting_burst{line.frequency, std::move(line.axes.block), *line.extremes});
            }
            progress->loader_progress_set_value(appended);
            ++appended;
            return true;
        },
        [&](line_reader::line unusable) {
            if (unusable == line_reader::line::cancelled)
                return stop_for_cancel();
            if (skipped.count())
                skipped.add("skip line " + line_reader::unusable_text(unusable));
            return true;
        });
    skipped.finish();
    skipped_lines_ = skipped.skipped();

    if (progress->loader_progress_cancelled()) {
        trace::line(log, "loader was cancelled!");
        throw loader_cancelled();
    }
    release_waiting(times.pending_time());
    if (times.replaced() > 0)
        trace::line(log, "start times unreadable or outside 1990-2100: ", times.replaced(),
                    " (each took the time of the previous readable line)");
    trace::line(log, "lines: ", bursts_.size());
}

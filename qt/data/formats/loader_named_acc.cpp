#include "data/formats/loader_named_acc.h"

#include "data/model/burst_assembler.h"
#include "data/formats/burst_axes.h"
#include "data/formats/csv_field.h"
#include "data/io/loader_cancelled.h"
#include "data/io/loader_progress.h"
#include "data/io/loader_wrong_header.h"
#include "data/io/memory_budget.h"
#include "data/formats/start_time_repair.h"
#include "data/io/trace.h"

#include <algorithm>
#include <array>

namespace {

using field = named_rows::field;

// Where a header names the burst columns (start, frequency, axes, raw values) and the sample columns.
struct acc_columns
{
    explicit acc_columns(const named_columns& columns)
        : burst{columns.find_any("eobs_start_timestamp", "timestamp"),
                columns.find("eobs_acceleration_sampling_frequency_per_axis"),
                columns.find("eobs_acceleration_axes"), columns.find("eobs_accelerations_raw")},
          sample{columns.find_any("acceleration_raw_x", "acceleration_x"),
                 columns.find_any("acceleration_raw_y", "acceleration_y"),
                 columns.find_any("acceleration_raw_z", "acceleration_z")},
          time(columns.find("timestamp"))
    {
    }
    bool bursts_per_row() const
    {
        return std::all_of(burst.begin(), burst.end(), [](int c) { return c >= 0; });
    }
    bool samples_per_row() const
    {
        return time >= 0 && std::all_of(sample.begin(), sample.end(), [](int c) { return c >= 0; });
    }

    std::array<int, 4> burst;
    std::array<int, 3> sample;
    int time;
};

} // namespace

void loader_named_acc::take_tag(std::size_t group, const named_rows& rows,
                                const std::vector<named_rows::field>& fields)
{
    QString& tag = animals_[group].tag;
    if (tag.isEmpty())
        tag = rows.tag(fields);
}

bool loader_named_acc::accepts(const named_columns& columns)
{
    const acc_columns found(columns);
    return found.bursts_per_row() || found.samples_per_row();
}

loader_named_acc::loader_named_acc(const byte_input& input, loader_progress* progress, qint64 sample_limit)
    : loader_named_acc(named_rows(input, progress), progress, sample_limit)
{
}

loader_named_acc::loader_named_acc(line_reader& lines, const char* begin, const char* end,
                                   loader_progress* progress)
    : loader_named_acc(named_rows(lines, begin, end, progress), progress, acc_csv_reader::max_samples)
{
}

loader_named_acc::loader_named_acc(named_rows&& rows, loader_progress* progress, qint64 sample_limit)
{
    sample_limit = std::min(sample_limit, acc_csv_reader::max_samples);
    const named_columns& columns = rows.columns();
    const acc_columns found(columns);
    if (!found.bursts_per_row() && !found.samples_per_row())
        throw loader_wrong_header();
    trace::out("header fields: ", columns.size());
    if (found.bursts_per_row())
        read_bursts(rows, progress, sample_limit, found.burst);
    else
        read_samples(rows, progress, sample_limit, found.time, found.sample);

    if (progress->loader_progress_cancelled()) {
        trace::out("loader was cancelled!");
        throw loader_cancelled();
    }
    skipped_lines_ = rows.skipped_lines();
    trace::out("animals: ", animals_.size());
}

void loader_named_acc::read_bursts(named_rows& rows, loader_progress* progress, qint64 sample_limit,
                                   const std::array<int, 4>& column)
{
    const int start_column = column[0], frequency_column = column[1], axes_column = column[2],
              raw_column = column[3];
    QTextCodec* codec = rows.codec();
    std::vector<field> fields;
    std::vector<float> pieces;
    qint64 total_samples = 0;
    qint32 appended = 0;
    // As in the fixed layouts: bursts read before the first usable start time wait for it.
    start_time_repair times;
    struct waiting_burst
    {
        QByteArray animal;
        double frequency;
        burst_axes axes;
    };
    std::vector<waiting_burst> waiting;
    memory_budget budget(rows.file_name(), rows.compressed());
    const auto add = [&](const QByteArray& animal, qint64 start, double frequency, burst_axes& axes) {
        const burst_min_max extremes(axes.block.axis(0), axes.block.axis(1), axes.block.axis(2),
                                     axes.samples);
        animals_.add(animal, burst::make(start, frequency, std::move(axes.block), extremes));
    };
    const auto release_waiting = [&](qint64 start) {
        for (waiting_burst& w : waiting)
            add(w.animal, start, w.frequency, w.axes);
        waiting.clear();
    };
    while (rows.next_of("acceleration", fields, progress)) {
        const field axes_text = named_rows::unquoted(fields, axes_column);
        const field raw = named_rows::unquoted(fields, raw_column);
        burst_axes axes;
        if (!axes.read(axes_text.first, axes_text.second, raw.first, raw.second, codec, pieces, budget))
            continue;
        total_samples += static_cast<qint64>(axes.samples);
        burst_axes::check_limit(total_samples, sample_limit);

        const field frequency = named_rows::unquoted(fields, frequency_column);
        const QByteArray animal = rows.animal(fields);
        const double f = csv_field::to_double(frequency.first, frequency.second, codec);
        qint64 start_time = rows.time_of(fields, start_column);
        take_tag(animals_.find_or_add(animal), rows, fields); // animals keep the order of their first row
        if (times.take(start_time)) {
            release_waiting(start_time);
            add(animal, start_time, f, axes);
        } else {
            waiting.push_back(waiting_burst{animal, f, std::move(axes)});
        }
        progress->loader_progress_set_value(appended);
        ++appended;
    }
    release_waiting(times.pending_time());
    if (times.replaced() > 0)
        trace::out("start times unreadable or outside 1990-2100: ", times.replaced(),
                   " (each took the time of the previous readable line)");
    trace::out("lines: ", appended);
}

void loader_named_acc::read_samples(named_rows& rows, loader_progress* progress, qint64 sample_limit,
                                    int time_column, const std::array<int, 3>& sample_column)
{
    QTextCodec* codec = rows.codec();
    std::vector<field> fields;
    std::vector<std::pair<QByteArray, burst_assembler>> assemblers; // per animal, in order of first row
    qint64 total_samples = 0;
    qint64 unusable_times = 0;
    qint32 appended = 0;
    // A sample takes up to twice its 12 bytes while its burst grows; each burst its bookkeeping.
    memory_budget budget(rows.file_name(), rows.compressed());
    const auto append = [&](const QByteArray& animal, std::unique_ptr<burst> b) {
        if (!b)
            return;
        budget.reserve(memory_budget::burst_bytes(0));
        animals_.add(animal, std::move(b));
        progress->loader_progress_set_value(appended);
        ++appended;
    };
    while (rows.next_of("acceleration", fields, progress)) {
        std::array<float, 3> value{};
        bool empty = false;
        for (std::size_t a = 0; a < 3; ++a) {
            const field f = named_rows::unquoted(fields, sample_column[a]);
            empty = empty || f.first == f.second;
            value[a] = csv_field::to_float(f.first, f.second, codec);
        }
        if (empty)
            continue;
        // A sample is placed by its own time: without a usable one it cannot join a burst.
        const qint64 t = rows.time_of(fields, time_column);
        if (!start_time_repair::usable(t)) {
            ++unusable_times;
            continue;
        }
        burst_axes::check_limit(++total_samples, sample_limit);
        budget.reserve(2 * memory_budget::sample_bytes);
        const QByteArray animal = rows.animal(fields);
        // Animals keep the order of their first row; their assemblers are made in the same order.
        const std::size_t group = animals_.find_or_add(animal);
        take_tag(group, rows, fields);
        if (group == assemblers.size())
            assemblers.emplace_back(animal, burst_assembler());
        append(animal, assemblers[group].second.add(t, value[0], value[1], value[2]));
    }
    for (auto& [animal, assembler] : assemblers)
        append(animal, assembler.finish());
    if (unusable_times > 0)
        trace::out("rows with a time unreadable or outside 1990-2100 skipped: ", unusable_times);
    trace::out("lines: ", rows.line_count());
}

#pragma once

#include "data/formats/acc_csv_reader.h"
#include "data/formats/animal_groups.h"
#include "data/formats/named_rows.h"

#include <array>

// Reads an acceleration file of the data repository's download layouts: the burst columns named in
// any spelling (underscore, colon-hyphen, dotted) and any order, fields with standard CSV quoting,
// rows of other sensors skipped, bursts grouped by animal. Files of one sample per row (x, y and z
// columns with a timestamp) are joined into bursts. Diagnostics go to standard output.
class loader_named_acc
{
public:
    // Throws loader_wrong_header, loader_cancelled, or loader_read_failed (as the other readers).
    loader_named_acc(const byte_input& input, loader_progress* progress,
                     qint64 sample_limit = acc_csv_reader::max_samples);
    // Reads on from a loader chain's opened source, whose header [begin, end) accepts() took.
    loader_named_acc(line_reader& lines, const char* begin, const char* end, loader_progress* progress);

    // Whether a header names the burst columns or the x, y, z and time columns of sample rows.
    static bool accepts(const named_columns& columns);

    // The bursts of each animal in file order.
    animal_groups<burst>& animals() { return animals_; }
    // Lines left out with a "skip line" message.
    qint64 skipped_lines() const { return skipped_lines_; }
    // The first animal's bursts.
    std::vector<std::unique_ptr<burst>>& bursts() { return animals_.first(); }

private:
    loader_named_acc(named_rows&& rows, loader_progress* progress, qint64 sample_limit);
    // Keeps the row's tag-local-identifier as its animal's tag until the animal has one.
    void take_tag(std::size_t group, const named_rows& rows, const std::vector<named_rows::field>& fields);
    // One burst per row: the start, frequency, axes and raw columns.
    void read_bursts(named_rows& rows, loader_progress* progress, qint64 sample_limit,
                     const std::array<int, 4>& column);
    // One sample per row: the time and the x, y and z columns; bursts joined by burst_assembler.
    void read_samples(named_rows& rows, loader_progress* progress, qint64 sample_limit, int time_column,
                      const std::array<int, 3>& sample_column);

    animal_groups<burst> animals_;
    qint64 skipped_lines_ = 0;
};

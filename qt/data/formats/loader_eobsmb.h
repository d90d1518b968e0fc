#pragma once

#include "data/formats/acc_csv_reader.h"

// Reads an acceleration export with the fixed six-column header. Diagnostics go to standard error.
// A file that is missing or cannot be read throws loader_read_failed, so the caller can report it
// instead of ending the process.
class loader_eobsmb : public acc_csv_reader
{
public:
    // sample_limit is lowered only by tests.
    loader_eobsmb(const byte_input& input, loader_progress* progress, qint64 sample_limit = max_samples);
    // Reads on from a loader chain's opened source, whose header [begin, end) accepts() took.
    loader_eobsmb(line_reader& lines, const char* begin, const char* end, loader_progress* progress);

    // The header line of this layout.
    static const char* const header;
};

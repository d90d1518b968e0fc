#pragma once

#include "data/formats/acc_csv_reader.h"

// Reads an acceleration export whose header holds the four "eobs_" columns in any order among
// other columns. Diagnostics go to standard output. A file that is missing or cannot be read
// throws loader_read_failed, so the caller can report it instead of ending the process.
class loader_mbd : public acc_csv_reader
{
public:
    // sample_limit is lowered only by tests.
    loader_mbd(const byte_input& input, loader_progress* progress, qint64 sample_limit = max_samples);
    // Reads on from a loader chain's opened source, whose header [begin, end) accepts() took.
    loader_mbd(line_reader& lines, const char* begin, const char* end, loader_progress* progress);
};

#pragma once

#include "data/formats/gps_csv_reader.h"

// Reads a GPS export with the fixed seventeen-column header. No field is unquoted.
class loader_gps_eobsmb : public gps_csv_reader
{
public:
    loader_gps_eobsmb(const byte_input& input, loader_progress* progress);
    // Reads on from a loader chain's opened source, whose header [begin, end) accepts() took.
    loader_gps_eobsmb(line_reader& lines, const char* begin, const char* end, loader_progress* progress);

    static const char* const header;
    static const layout format;
};

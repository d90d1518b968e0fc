#pragma once

#include "data/formats/gps_csv_reader.h"

// Reads a GPS export in the "eobs_" column layout (three accepted header variants). The status is
// compared after unquoting, the type of fix as written.
class loader_gps_mbd : public gps_csv_reader
{
public:
    loader_gps_mbd(const byte_input& input, loader_progress* progress);
    // Reads on from a loader chain's opened source, whose header [begin, end) accepts() took.
    loader_gps_mbd(line_reader& lines, const char* begin, const char* end, loader_progress* progress);

    static const char* const header_1;
    static const char* const header_2;
    static const char* const header_3;
    static const layout format;
};

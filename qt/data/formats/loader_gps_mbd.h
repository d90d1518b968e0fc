#pragma once

#include "data/formats/gps_layout_reader.h"

// Reads a GPS export in the "eobs_" column layout (three accepted header variants). The status is
// compared after unquoting, the type of fix as written.
class loader_gps_mbd : public gps_layout_reader<loader_gps_mbd>
{
public:
    using gps_layout_reader::gps_layout_reader;

    static const char* const header_1;
    static const char* const header_2;
    static const char* const header_3;
    static const layout format;
};
